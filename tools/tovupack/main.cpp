// tovupack: the packager's command line.
//   tovupack build --frame FRAME.exe --settings Properties_Tovu.ini
//                  [--entry FILE]... --cabinet CABINET --output PACKAGE.exe
//   tovupack list PACKAGE.exe
#include <cstdio>
#include <string>
#include <vector>

#include "container/extractor.h"
#include "tovupack/packager.h"
#include "util/format.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/win32_platform.h"
using HostPlatform = tovu::Win32Platform;
#else
#include "platform/posix/posix_platform.h"
using HostPlatform = tovu::PosixPlatform;
#endif

namespace {

using tovu::Text;

constexpr char kVersion[] = "tovupack 1.0.0";

constexpr char kUsage[] =
    "Usage:\n"
    "  tovupack build --frame FRAME.exe --settings SETTINGS.ini [--entry FILE]...\n"
    "                 --cabinet CABINET --output PACKAGE.exe\n"
    "  tovupack list PACKAGE.exe\n"
    "  tovupack --help | --version\n"
    "\n"
    "build   makes a package: a copy of the frame executable with the attached\n"
    "        container behind it. The settings file becomes the first entry,\n"
    "        named Properties_Tovu.ini whatever its file is called (UTF-8 or\n"
    "        UTF-16 in; stored as UTF-16LE with a byte-order mark). Each --entry\n"
    "        adds a settings entry named after its file (language files, banner\n"
    "        images), in the order given. The cabinet becomes the entry WebCab1;\n"
    "        a cabinet that starts with \"MSCF\" gets \"TOVU\" in its place. The\n"
    "        container start offset goes into the frame's language-neutral\n"
    "        version record. The package replaces OUTPUT only when complete.\n"
    "list    prints the start offset and each entry's offset, data offset,\n"
    "        size, type and name.\n"
    "\n"
    "Options may also be written --option=VALUE. Exit codes: 0 done, 1 the\n"
    "input or the package is wrong, 2 the command line is wrong.\n";

int UsageError(const std::string& message) {
  std::fprintf(stderr, "tovupack: %s\nTry 'tovupack --help'.\n", message.c_str());
  return 2;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "tovupack: %s\n", message.c_str());
  return 1;
}

// Takes the value of option `name` at args[i] ("--name VALUE" or
// "--name=VALUE"). True when args[i] is that option.
bool TakeOption(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string& value,
                std::string& error) {
  const std::string& a = args[i];
  if (a == name) {
    if (i + 1 >= args.size()) {
      error = "option " + name + " needs a value";
      return true;
    }
    value = args[++i];
    return true;
  }
  if (a.size() > name.size() && a.compare(0, name.size(), name) == 0 && a[name.size()] == '=') {
    value = a.substr(name.size() + 1);
    return true;
  }
  return false;
}

int RunBuild(tovu::IPlatform& platform, const std::vector<std::string>& args) {
  tovu::pack::BuildRequest request;
  for (size_t i = 1; i < args.size(); ++i) {
    std::string value, error;
    struct Single {
      const char* name;
      Text* target;
    } singles[] = {{"--frame", &request.frame},
                   {"--settings", &request.settings},
                   {"--cabinet", &request.cabinet},
                   {"--output", &request.output}};
    bool taken = false;
    for (const Single& s : singles) {
      if (!TakeOption(args, i, s.name, value, error)) continue;
      if (!error.empty()) return UsageError(error);
      if (!s.target->empty()) return UsageError(std::string("option ") + s.name + " given twice");
      if (value.empty()) return UsageError(std::string("option ") + s.name + " has an empty value");
      *s.target = tovu::FromUtf8(value);
      taken = true;
      break;
    }
    if (taken) continue;
    if (TakeOption(args, i, "--entry", value, error)) {
      if (!error.empty()) return UsageError(error);
      if (value.empty()) return UsageError("option --entry has an empty value");
      request.entries.push_back(tovu::FromUtf8(value));
      continue;
    }
    return UsageError("unknown argument '" + args[i] + "' for build");
  }
  const char* missing = request.frame.empty()      ? "--frame"
                        : request.settings.empty() ? "--settings"
                        : request.cabinet.empty()  ? "--cabinet"
                        : request.output.empty()   ? "--output"
                                                   : nullptr;
  if (missing) return UsageError(std::string("build needs ") + missing);

  tovu::pack::BuildResult result;
  if (std::string error = tovu::pack::BuildPackage(platform, request, result); !error.empty()) return Failure(error);
  std::printf("tovupack: wrote %s: %llu bytes, %zu entries, container at offset %llu\n",
              tovu::ToUtf8(request.output).c_str(), static_cast<unsigned long long>(result.packageSize),
              result.entryCount, static_cast<unsigned long long>(result.startOffset));
  return 0;
}

int RunList(tovu::IPlatform& platform, const std::vector<std::string>& args) {
  if (args.size() != 2) return UsageError("list takes one package");
  tovu::pack::Listing listing;
  const std::string error = tovu::pack::ListPackage(platform, tovu::FromUtf8(args[1]), listing);
  if (listing.startOffset != 0 || error.empty())
    std::printf("start offset: %u (0x%X)\n", listing.startOffset, listing.startOffset);
  if (!listing.entries.empty() || error.empty()) {
    std::printf("%-12s %-12s %-12s %-13s %s\n", "offset", "data at", "size", "type", "name");
    for (const auto& e : listing.entries) {
      const char* kind = e.type == tovu::ENTRY_TYPE_SETTINGS  ? "settings"
                         : e.type == tovu::ENTRY_TYPE_CABINET ? "cabinet"
                                                              : "unknown";
      std::printf("%-12llu %-12llu %-12u %3u %-9s %s\n", static_cast<unsigned long long>(e.offset),
                  static_cast<unsigned long long>(e.dataOffset), e.size, e.type, kind, tovu::ToUtf8(e.name).c_str());
    }
  }
  if (!error.empty()) return Failure(error);
  std::printf("%zu entries; the list ends at offset %llu of %llu", listing.entries.size(),
              static_cast<unsigned long long>(listing.endOffset), static_cast<unsigned long long>(listing.fileSize));
  if (!listing.endNote.empty()) std::printf(" (%s)", listing.endNote.c_str());
  std::printf("\n");
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError("no command given");
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args[0] == "--version") {
    std::printf("%s\n", kVersion);
    return 0;
  }
  for (size_t i = 1; i < args.size(); ++i)
    if (args[i] == "--help" || args[i] == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
  static HostPlatform platform;
  tovu::SetPlatform(&platform);
  if (args[0] == "build") return RunBuild(platform, args);
  if (args[0] == "list") return RunList(platform, args);
  return UsageError("unknown command '" + args[0] + "'");
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(tovu::ToUtf8(tovu::FromW(argv[i])));
  return Run(args);
}
#else
int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return Run(args);
}
#endif
