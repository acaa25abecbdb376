// The payload: the folder of setup files that becomes the package's
// cabinet. Scanning walks it in a fixed order (names compared by their
// UTF-16 code units, files and sub-folders alike, depth first), takes each
// file's size, time stamp and attributes, forms its member name and
// refuses what a cabinet cannot hold or Windows cannot extract.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tovupack/cab_format.h"
#include "util/text.h"

namespace tovu::pack {

struct PayloadFile {
  Text source;          // the file on disk
  Text relative;        // its path below the payload folder, '\' separated
  std::string name;     // member name as stored: "\" + relative, ASCII or UTF-8
  uint16_t attributes = cab::kAttrArchive;  // with kAttrNameIsUtf8 for UTF-8 names
  cab::DosTime time;
  uint64_t size = 0;
};

// Scans `folder`. Returns "" or a message naming the problem; `files`
// holds the payload in cabinet order.
std::string ScanPayload(const Text& folder, std::vector<PayloadFile>& files);

// "" when `component` can be one folder or file name of a member, else why
// not (control characters, characters Windows forbids, a trailing blank
// or point).
std::string CheckNameComponent(const Text& component);

// The member name of a relative path ('\' separated): a leading backslash,
// ASCII bytes, or UTF-8 with the flag set in `attributes`. Returns "" or
// why the name does not fit (over kMaxNameBytes).
std::string MemberName(const Text& relative, std::string& name, uint16_t& attributes);

}  // namespace tovu::pack
