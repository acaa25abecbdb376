// Log writers for tests that look at the lines a piece of the system logs.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "util/text.h"

namespace tovu::test {

// Keeps each line as "<level> <function>: <message>" (lines without a
// function under "NonameFunction", as the file shows them) and writes it
// on to the file the writer points at, so counts and summary stay real.
class KeptLog : public CBuildLogFile {
 public:
  explicit KeptLog(IPlatform& p) : CBuildLogFile(p) {}
  int WriteLogText(int level, TextView function, const Text& message) override {
    lines.push_back(std::to_string(level) + " " + ToUtf8(Text(function)) + ": " + ToUtf8(message));
    return CBuildLogFile::WriteLogText(level, function, message);
  }
  int WriteLogNoFunctionText(int level, const Text& message) override {
    lines.push_back(std::to_string(level) + " NonameFunction: " + ToUtf8(message));
    return CBuildLogFile::WriteLogNoFunctionText(level, message);
  }
  bool Has(const std::string& l) const {
    for (const auto& x : lines)
      if (x == l) return true;
    return false;
  }
  bool HasPrefix(const std::string& p) const {
    for (const auto& x : lines)
      if (x.rfind(p, 0) == 0) return true;
    return false;
  }
  std::vector<std::string> lines;
};

// Keeps the timed lines as their three parts instead of writing them
// (lines without a function with an empty one).
class CaptureLog : public CBuildLogFile {
 public:
  explicit CaptureLog(IPlatform& p) : CBuildLogFile(p) {}
  struct Line {
    int level;
    Text function;
    Text message;
    bool operator==(const Line&) const = default;
    // How a failed comparison shows the line.
    friend std::ostream& operator<<(std::ostream& os, const Line& l) {
      return os << "{" << l.level << ", \"" << ToUtf8(l.function) << "\", \"" << ToUtf8(l.message) << "\"}";
    }
  };
  int WriteLogText(int level, TextView function, const Text& message) override {
    lines.push_back({level, Text(function), message});
    return 0;
  }
  int WriteLogNoFunctionText(int level, const Text& message) override {
    lines.push_back({level, Text(), message});
    return 0;
  }
  bool Has(int level, const std::string& function, const std::string& message) const {
    for (const Line& l : lines)
      if (l.level == level && l.function == FromUtf8(function) && l.message == FromUtf8(message)) return true;
    return false;
  }
  bool Has(const std::string& function, const std::string& message) const {
    for (const Line& l : lines)
      if (l.function == FromUtf8(function) && l.message == FromUtf8(message)) return true;
    return false;
  }
  bool HasMessage(const std::string& message) const { return Count(message) > 0; }
  int Count(const std::string& message) const {
    int n = 0;
    for (const Line& l : lines) n += l.message == FromUtf8(message);
    return n;
  }
  // Every line, for a failure message.
  std::string All() const {
    std::string s;
    for (const Line& l : lines)
      s += "  " + std::to_string(l.level) + " [" + ToUtf8(l.function) + "] " + ToUtf8(l.message) + "\n";
    return s;
  }
  std::vector<Line> lines;
};

}  // namespace tovu::test
