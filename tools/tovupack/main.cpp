// tovupack: the packager's command line.
//   tovupack build --frame FRAME.exe --settings Properties_Tovu.ini
//                  [--entry FILE]... (--cabinet CABINET | --payload FOLDER)
//                  --output PACKAGE.exe
//   tovupack list PACKAGE.exe
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "container/extractor.h"
#include "tovupack/packager.h"
#include "util/format.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "platform/win32/win32_platform.h"
using HostPlatform = tovu::Win32Platform;
#else
#include <unistd.h>

#include "platform/posix/posix_platform.h"
using HostPlatform = tovu::PosixPlatform;
#endif

namespace {

using tovu::Text;

constexpr char kVersion[] = "tovupack 1.0.0";

constexpr char kUsage[] =
    "Usage:\n"
    "  tovupack build --frame FRAME.exe --settings SETTINGS.ini [--entry FILE]...\n"
    "                 (--cabinet CABINET | --payload FOLDER [--compression mszip|none]\n"
    "                 [--part-size BYTES] [--threads N]) --output PACKAGE.exe\n"
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
    "        --payload writes the cabinet from a folder of setup files instead\n"
    "        (members named \\path\\below\\the\\folder; empty folders are not\n"
    "        kept), MSZIP-compressed (default) or stored, with the set ID from\n"
    "        [Tovu] GUID2. With [Package] MultiPartDownload=1 the cabinet becomes\n"
    "        a set of parts MultipartFileName.001, .002, ... of --part-size bytes\n"
    "        (default [Package] PartSize) beside OUTPUT, and the package carries\n"
    "        no cabinet entry; [PartFileIno] and [HashCode] list the parts and\n"
    "        their digests. [Size] CabSize and PackageSize and [FileCount] Count\n"
    "        are filled in. These go into the package's settings entry; the\n"
    "        settings file given stays unchanged. --threads sets the number of\n"
    "        compressing threads (default: one per core).\n"
    "list    prints the start offset and each entry's offset, data offset,\n"
    "        size, type and name; on a signed package the list ends at the\n"
    "        certificate table. Sign a package after building it: build\n"
    "        clears the certificate-table entry of the frame it copies.\n"
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

bool StdoutIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stdout)) != 0;
#else
  return isatty(STDOUT_FILENO) != 0;
#endif
}

// "--part-size 1998000000": a decimal byte count.
bool ParseCount(const std::string& value, uint64_t& out) {
  if (value.empty() || value.size() > 12) return false;
  out = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
    out = out * 10 + static_cast<uint64_t>(c - '0');
  }
  return true;
}

// A progress line for builds that last: shown on a terminal only, from
// the second second on, a few times a second.
class ProgressLine {
 public:
  ProgressLine() : start_(std::chrono::steady_clock::now()), enabled_(StdoutIsTerminal()) {}
  void Update(uint64_t done, uint64_t total) {
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(200)) return;
    last_ = now;
    const unsigned percent = total ? static_cast<unsigned>(done * 100 / total) : 100;
    std::printf("\rtovupack: compressing the payload: %3u%% (%llu of %llu MiB)", percent,
                static_cast<unsigned long long>(done >> 20), static_cast<unsigned long long>(total >> 20));
    std::fflush(stdout);
    shown_ = true;
  }
  void End() {
    if (shown_) std::printf("\r%-72s\r", "");
    shown_ = false;
  }

 private:
  std::chrono::steady_clock::time_point start_, last_{};
  bool enabled_;
  bool shown_ = false;
};

int RunBuild(tovu::IPlatform& platform, const std::vector<std::string>& args) {
  tovu::pack::BuildRequest request;
  bool compressionGiven = false, partSizeGiven = false, threadsGiven = false;
  for (size_t i = 1; i < args.size(); ++i) {
    std::string value, error;
    struct Single {
      const char* name;
      Text* target;
    } singles[] = {{"--frame", &request.frame},
                   {"--settings", &request.settings},
                   {"--cabinet", &request.cabinet},
                   {"--payload", &request.payload},
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
    if (TakeOption(args, i, "--compression", value, error)) {
      if (!error.empty()) return UsageError(error);
      if (compressionGiven) return UsageError("option --compression given twice");
      compressionGiven = true;
      if (value == "mszip")
        request.compression = tovu::pack::cab::Compression::kMszip;
      else if (value == "none")
        request.compression = tovu::pack::cab::Compression::kNone;
      else
        return UsageError("--compression takes mszip or none, not '" + value + "'");
      continue;
    }
    if (TakeOption(args, i, "--part-size", value, error)) {
      if (!error.empty()) return UsageError(error);
      if (partSizeGiven) return UsageError("option --part-size given twice");
      partSizeGiven = true;
      if (!ParseCount(value, request.partSize) || request.partSize == 0)
        return UsageError("--part-size takes a number of bytes, not '" + value + "'");
      continue;
    }
    if (TakeOption(args, i, "--threads", value, error)) {
      if (!error.empty()) return UsageError(error);
      if (threadsGiven) return UsageError("option --threads given twice");
      threadsGiven = true;
      uint64_t n = 0;
      if (!ParseCount(value, n) || n == 0 || n > 256) return UsageError("--threads takes a number from 1 to 256");
      request.threads = static_cast<unsigned>(n);
      continue;
    }
    if (TakeOption(args, i, "--entry", value, error)) {
      if (!error.empty()) return UsageError(error);
      if (value.empty()) return UsageError("option --entry has an empty value");
      request.entries.push_back(tovu::FromUtf8(value));
      continue;
    }
    return UsageError("unknown argument '" + args[i] + "' for build");
  }
  if (!request.cabinet.empty() && !request.payload.empty()) return UsageError("give --cabinet or --payload, not both");
  const char* missing = request.frame.empty()                                ? "--frame"
                        : request.settings.empty()                           ? "--settings"
                        : request.cabinet.empty() && request.payload.empty() ? "--cabinet"
                        : request.output.empty()                             ? "--output"
                                                                             : nullptr;
  if (missing) return UsageError(std::string("build needs ") + missing + (std::string(missing) == "--cabinet" ? " or --payload" : ""));
  if (request.payload.empty() && (compressionGiven || partSizeGiven || threadsGiven))
    return UsageError("--compression, --part-size and --threads go with --payload");

  ProgressLine progress;
  request.progress = [&](uint64_t done, uint64_t total) { progress.Update(done, total); };
  tovu::pack::BuildResult result;
  const std::string error = tovu::pack::BuildPackage(platform, request, result);
  progress.End();
  if (!error.empty()) return Failure(error);
  std::printf("tovupack: wrote %s: %llu bytes, %zu entries, container at offset %llu\n",
              tovu::ToUtf8(request.output).c_str(), static_cast<unsigned long long>(result.packageSize),
              result.entryCount, static_cast<unsigned long long>(result.startOffset));
  if (!request.payload.empty()) {
    std::printf("tovupack: cabinet of %zu files, %llu bytes from %llu", result.fileCount,
                static_cast<unsigned long long>(result.cabinetBytes), static_cast<unsigned long long>(result.payloadBytes));
    if (!result.parts.empty()) std::printf(", in %zu parts:", result.parts.size());
    std::printf("\n");
    for (const tovu::Text& part : result.parts) std::printf("  %s\n", tovu::ToUtf8(part).c_str());
  }
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
