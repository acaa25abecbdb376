#include "tovupack/cab_writer.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "tovupack/digest.h"

namespace tovu::pack {

namespace {

std::string U8(const Text& t) { return ToUtf8(t); }

std::string SystemMessage(IPlatform& platform, uint32_t code) {
  std::string text = ToUtf8(TrimRight(platform.ErrorText(code)));
  if (text.empty()) text = "error " + std::to_string(code);
  return text;
}

// The payload cut into folders: files end to end, a new folder when the
// next file would pass the folder limit.
struct Plan {
  struct Folder {
    uint64_t size = 0;
    uint32_t blocks = 0;
    size_t firstBlock = 0;
  };
  std::vector<Folder> folders;
  std::vector<uint32_t> fileFolder;
  std::vector<uint64_t> fileOffset;
  uint64_t totalBytes = 0;
  size_t totalBlocks = 0;
};

// With `folderPerFile` (sets of parts) every file that has data gets a
// folder of its own, and the empty files lie at the start of the first
// folder: a folder that continues into the next part then holds nothing
// but the file that continues, as cabinet readers expect of a set.
Plan MakePlan(const std::vector<PayloadFile>& files, bool folderPerFile) {
  Plan plan;
  plan.folders.emplace_back();
  bool first = true;
  for (const PayloadFile& f : files) {
    if (folderPerFile && f.size == 0) {
      plan.fileFolder.push_back(0);
      plan.fileOffset.push_back(0);
      continue;
    }
    if (f.size > 0 && (folderPerFile ? !first : plan.folders.back().size + f.size > cab::kMaxFolderBytes))
      plan.folders.emplace_back();
    first = false;
    plan.fileFolder.push_back(static_cast<uint32_t>(plan.folders.size() - 1));
    plan.fileOffset.push_back(plan.folders.back().size);
    plan.folders.back().size += f.size;
    plan.totalBytes += f.size;
  }
  for (Plan::Folder& folder : plan.folders) {
    folder.blocks = static_cast<uint32_t>((folder.size + cab::kBlockSize - 1) / cab::kBlockSize);
    folder.firstBlock = plan.totalBlocks;
    plan.totalBlocks += folder.blocks;
  }
  return plan;
}

// Output through a buffer, counting the position and feeding a digest.
class BufferedOut {
 public:
  BufferedOut(IPlatform& platform, IFileWriter& out, const Text& path, Sha1* digest = nullptr)
      : platform_(platform), out_(out), path_(path), digest_(digest) {
    buffer_.reserve(kBuffer);
  }
  std::string Write(const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    if (digest_) digest_->Update(p, size);
    position_ += size;
    if (buffer_.size() + size > kBuffer)
      if (std::string e = Flush(); !e.empty()) return e;
    if (size >= kBuffer) return Put(p, size);
    buffer_.insert(buffer_.end(), p, p + size);
    return "";
  }
  std::string Flush() {
    std::string e = buffer_.empty() ? "" : Put(buffer_.data(), buffer_.size());
    buffer_.clear();
    return e;
  }
  uint64_t Position() const { return position_; }

 private:
  static constexpr size_t kBuffer = 1u << 20;
  std::string Put(const uint8_t* p, size_t size) {
    if (uint32_t e = out_.Write(p, static_cast<uint32_t>(size)))
      return "cannot write " + U8(path_) + ": " + SystemMessage(platform_, e);
    return "";
  }
  IPlatform& platform_;
  IFileWriter& out_;
  Text path_;
  Sha1* digest_;
  std::vector<uint8_t> buffer_;
  uint64_t position_ = 0;
};

struct BlockOut {
  uint32_t folder;
  uint32_t size;
  const uint8_t* data;
  size_t packed;
};
using BlockSink = std::function<std::string(const BlockOut&)>;

// Reads the payload on one thread, compresses on `threads` and hands the
// blocks to `sink` in order on the calling thread.
std::string CompressPayload(IPlatform& platform, const std::vector<PayloadFile>& files, const Plan& plan,
                            const CabinetOptions& options, const BlockSink& sink) {
  const unsigned threads =
      options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency());
  const size_t ringSize = size_t{threads} * 4;
  struct Slot {
    std::vector<uint8_t> in, out;
    uint32_t folder = 0, size = 0;
    size_t packed = 0, seq = 0;
    int state = 0;  // 0 free, 1 read, 2 compressed
  };
  std::vector<Slot> ring(ringSize);
  for (Slot& s : ring) {
    s.in.resize(cab::kBlockSize);
    s.out.resize(cab::kMaxCompressedBlock);
  }
  std::mutex mutex;
  std::condition_variable changed;
  bool stop = false;
  std::string error;
  size_t nextToCompress = 0;
  const size_t total = plan.totalBlocks;
  auto fail = [&](const std::string& message) {
    std::lock_guard<std::mutex> lock(mutex);
    if (error.empty()) error = message;
    stop = true;
    changed.notify_all();
  };

  std::thread reader([&] {
    size_t seq = 0, next = 0;
    std::unique_ptr<IFileReader> in;
    uint64_t leftInFile = 0;
    const PayloadFile* current = nullptr;
    for (uint32_t f = 0; f < plan.folders.size(); ++f) {
      uint64_t leftInFolder = plan.folders[f].size;
      for (uint32_t b = 0; b < plan.folders[f].blocks; ++b, ++seq) {
        Slot& slot = ring[seq % ringSize];
        {
          std::unique_lock<std::mutex> lock(mutex);
          changed.wait(lock, [&] { return stop || slot.state == 0; });
          if (stop) return;
        }
        const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(cab::kBlockSize, leftInFolder));
        uint32_t filled = 0;
        while (filled < want) {
          if (leftInFile == 0) {
            in.reset();
            while (next < files.size() && files[next].size == 0) ++next;
            current = &files[next++];
            if (uint32_t e = platform.OpenRead(current->source, in)) {
              fail("cannot open " + U8(current->source) + ": " + SystemMessage(platform, e));
              return;
            }
            leftInFile = current->size;
          }
          uint32_t got = 0;
          const uint32_t ask = static_cast<uint32_t>(std::min<uint64_t>(want - filled, leftInFile));
          if (uint32_t e = in->Read(slot.in.data() + filled, ask, &got)) {
            fail("cannot read " + U8(current->source) + ": " + SystemMessage(platform, e));
            return;
          }
          if (got == 0) {
            fail(U8(current->source) + " became shorter while it was packed");
            return;
          }
          filled += got;
          leftInFile -= got;
        }
        leftInFolder -= want;
        slot.folder = f;
        slot.size = want;
        std::lock_guard<std::mutex> lock(mutex);
        slot.seq = seq;
        slot.state = 1;
        changed.notify_all();
      }
    }
  });

  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t)
    workers.emplace_back([&] {
      cab::BlockCompressor compressor(options.compression);
      for (;;) {
        Slot* slot = nullptr;
        {
          std::unique_lock<std::mutex> lock(mutex);
          changed.wait(lock, [&] {
            if (stop || nextToCompress >= total) return true;
            const Slot& s = ring[nextToCompress % ringSize];
            return s.state == 1 && s.seq == nextToCompress;
          });
          if (stop || nextToCompress >= total) return;
          slot = &ring[nextToCompress++ % ringSize];
        }
        const size_t packed = compressor.Compress(slot->in.data(), slot->size, slot->out.data());
        if (packed == 0) {
          fail("the compressor failed");
          return;
        }
        std::lock_guard<std::mutex> lock(mutex);
        slot->packed = packed;
        slot->state = 2;
        changed.notify_all();
      }
    });

  uint64_t done = 0;
  for (size_t seq = 0; seq < total; ++seq) {
    Slot& slot = ring[seq % ringSize];
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return stop || (slot.state == 2 && slot.seq == seq); });
      if (stop) break;
    }
    if (std::string e = sink(BlockOut{slot.folder, slot.size, slot.out.data(), slot.packed}); !e.empty()) {
      fail(e);
      break;
    }
    done += slot.size;
    if (options.progress) options.progress(done, plan.totalBytes);
    std::lock_guard<std::mutex> lock(mutex);
    slot.state = 0;
    changed.notify_all();
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    stop = true;
    changed.notify_all();
  }
  reader.join();
  for (std::thread& t : workers) t.join();
  return error;
}

uint16_t CompressionField(const CabinetOptions& options) {
  return options.compression == cab::Compression::kMszip ? cab::kCompressMszip : cab::kCompressNone;
}

void PutSignature(std::vector<uint8_t>& header) { std::memcpy(header.data(), "TOVU", 4); }

}  // namespace

std::string WriteCabinet(IPlatform& platform, const std::vector<PayloadFile>& files, const Text& path,
                         const CabinetOptions& options, CabinetResult& result) {
  result = CabinetResult{};
  const Plan plan = MakePlan(files, false);
  cab::HeaderFields h;
  h.folders = static_cast<uint16_t>(plan.folders.size());
  h.files = static_cast<uint16_t>(files.size());
  h.setId = options.setId;
  h.filesOffset = static_cast<uint32_t>(cab::kHeaderBytes + cab::kFolderBytes * plan.folders.size());
  std::vector<uint8_t> head = cab::Header(h);
  const size_t foldersAt = head.size();
  for (size_t f = 0; f < plan.folders.size(); ++f)
    cab::AppendFolder(head, 0, static_cast<uint16_t>(plan.folders[f].blocks), CompressionField(options));
  for (size_t i = 0; i < files.size(); ++i)
    cab::AppendFile(head, static_cast<uint32_t>(files[i].size), static_cast<uint32_t>(plan.fileOffset[i]),
                    static_cast<uint16_t>(plan.fileFolder[i]), files[i].time, files[i].attributes, files[i].name);
  PutSignature(head);

  std::unique_ptr<IFileWriter> file;
  if (uint32_t e = platform.CreateWrite(path, file)) return "cannot create " + U8(path) + ": " + SystemMessage(platform, e);
  BufferedOut out(platform, *file, path);
  if (std::string e = out.Write(head.data(), head.size()); !e.empty()) return e;
  std::vector<uint32_t> folderStart(plan.folders.size(), static_cast<uint32_t>(head.size()));
  uint32_t folderSeen = 0xFFFFFFFF;
  std::vector<uint8_t> dataHeader;
  const std::string error = CompressPayload(platform, files, plan, options, [&](const BlockOut& b) -> std::string {
    if (b.folder != folderSeen) {
      folderSeen = b.folder;
      folderStart[b.folder] = static_cast<uint32_t>(out.Position());
    }
    dataHeader.clear();
    cab::AppendDataHeader(dataHeader,
                          cab::DataChecksum(b.data, static_cast<uint16_t>(b.packed), static_cast<uint16_t>(b.size)),
                          static_cast<uint16_t>(b.packed), static_cast<uint16_t>(b.size));
    if (std::string e = out.Write(dataHeader.data(), dataHeader.size()); !e.empty()) return e;
    if (std::string e = out.Write(b.data, b.packed); !e.empty()) return e;
    if (out.Position() > cab::kMaxCabinetBytes)
      return "the cabinet grows beyond 2 GiB, more than one cabinet can hold; make a multipart package "
             "([Package] MultiPartDownload=1)";
    return "";
  });
  if (!error.empty()) return error;
  if (std::string e = out.Flush(); !e.empty()) return e;
  const uint64_t size = out.Position();
  cab::Set32(&head[8], static_cast<uint32_t>(size));
  for (size_t f = 0; f < plan.folders.size(); ++f) cab::Set32(&head[foldersAt + 8 * f], folderStart[f]);
  if (uint32_t e = file->Seek(0)) return "cannot write " + U8(path) + ": " + SystemMessage(platform, e);
  if (uint32_t e = file->Write(head.data(), static_cast<uint32_t>(foldersAt + 8 * plan.folders.size())))
    return "cannot write " + U8(path) + ": " + SystemMessage(platform, e);
  if (uint32_t e = file->Close()) return "cannot write " + U8(path) + ": " + SystemMessage(platform, e);
  result.cabinetBytes = size;
  result.payloadBytes = plan.totalBytes;
  return "";
}

std::string LayoutSet(const std::vector<LayoutBlock>& blocks, const std::vector<LayoutFile>& files, uint64_t partSize,
                      const std::function<std::string(int)>& names, std::vector<LayoutCabinet>& out) {
  out.clear();
  // The first and last block of each file; an empty file belongs to the
  // block its offset lies in (the folder's last block at its end).
  std::vector<size_t> folderFirst, folderBlocks;
  for (size_t b = 0; b < blocks.size(); ++b) {
    if (blocks[b].folder >= folderFirst.size()) {
      folderFirst.resize(blocks[b].folder + 1, b);
      folderBlocks.resize(blocks[b].folder + 1, 0);
    }
    ++folderBlocks[blocks[b].folder];
  }
  std::vector<size_t> firstBlock(files.size()), lastBlock(files.size());
  std::vector<std::vector<size_t>> startsAt(blocks.size());  // in payload order
  auto entryBytes = [&](size_t f) { return uint64_t{cab::kFileFixedBytes} + files[f].nameBytes + 1; };
  if (blocks.empty()) {
    LayoutCabinet c;
    c.folders.push_back(LayoutFolder{0, 0, 0, 0});
    for (size_t f = 0; f < files.size(); ++f) c.files.push_back(LayoutEntry{f, 0, files[f].offset});
    c.bytes = cab::HeaderSize("", "") + cab::kFolderBytes;
    for (size_t f = 0; f < files.size(); ++f) c.bytes += entryBytes(f);
    out.push_back(std::move(c));
    return "";
  }
  for (size_t f = 0; f < files.size(); ++f) {
    const size_t base = folderFirst[files[f].folder];
    if (files[f].size == 0) {
      firstBlock[f] = lastBlock[f] =
          base + std::min<size_t>(files[f].offset / cab::kBlockSize, folderBlocks[files[f].folder] - 1);
    } else {
      firstBlock[f] = base + files[f].offset / cab::kBlockSize;
      lastBlock[f] = base + (files[f].offset + files[f].size - 1) / cab::kBlockSize;
    }
    startsAt[firstBlock[f]].push_back(f);
  }

  std::vector<int> firstCab(files.size(), -1), lastCab(files.size(), -1);
  std::vector<size_t> carried;
  LayoutFolder previous;
  size_t b = 0;
  uint32_t from = 0;
  while (b < blocks.size()) {
    const int k = static_cast<int>(out.size());
    if (k >= kMaxParts)
      return "the set would need more than " + std::to_string(kMaxParts) + " parts; choose a larger part size";
    LayoutCabinet c;
    uint64_t used = cab::HeaderSize(k > 0 ? names(k) : std::string(), names(k + 2));  // with a next part, at most
    auto list = [&](size_t f) {
      c.files.push_back(LayoutEntry{f, 0, 0});
      if (firstCab[f] < 0) firstCab[f] = k;
      lastCab[f] = k;
    };
    for (size_t f : carried) {
      list(f);
      used += entryBytes(f);
    }
    if (!carried.empty())
      c.folders.push_back(LayoutFolder{previous.folder, previous.start, 0, 0});
    else
      c.folders.push_back(LayoutFolder{blocks[b].folder, blocks[b].start, 0, 0});
    used += cab::kFolderBytes;
    while (b < blocks.size()) {
      const LayoutBlock& block = blocks[b];
      const bool newFolder = block.folder != c.folders.back().folder;
      uint64_t cost = cab::kDataHeaderBytes + (newFolder ? cab::kFolderBytes : 0);
      if (from == 0)
        for (size_t f : startsAt[b]) cost += entryBytes(f);
      const uint32_t need = block.packed - from;
      if (used + cost >= partSize) break;
      const uint64_t room = partSize - used - cost;
      const bool whole = room >= need;
      if (newFolder) c.folders.push_back(LayoutFolder{block.folder, 0, 0, c.pieces.size()});
      if (c.folders.back().pieces == 0) c.folders.back().firstPiece = c.pieces.size();
      ++c.folders.back().pieces;
      if (from == 0)
        for (size_t f : startsAt[b]) list(f);
      if (whole) {
        c.pieces.push_back(LayoutPiece{b, from, need, true});
        used += cost + need;
        ++b;
        from = 0;
        continue;
      }
      c.pieces.push_back(LayoutPiece{b, from, static_cast<uint32_t>(room), false});
      from += static_cast<uint32_t>(room);
      used = partSize;
      break;
    }
    if (c.pieces.empty())
      return "the part size " + std::to_string(partSize) + " is too small to hold the list of files of part " +
             std::to_string(k + 1) + " and a piece of data";
    // A part that is not the last ends inside a block, so that its last
    // folder continues into the next part through that block's pieces; a
    // block that filled the part exactly gives its last byte to the next.
    if (b < blocks.size() && from == 0 && c.pieces.back().length >= 2 &&
        blocks[b].folder == blocks[c.pieces.back().block].folder) {
      LayoutPiece& piece = c.pieces.back();
      piece.length -= 1;
      piece.last = false;
      b = piece.block;
      from = piece.from + piece.length;
    }
    // The file that holds the cut block's last byte continues into the
    // next part (readers merge the folders through it); the files that end
    // within the block stay in this part's list only.
    carried.clear();
    if (b < blocks.size()) {
      const uint64_t lastByte = blocks[b].start + blocks[b].size - 1;
      for (const LayoutEntry& e : c.files) {
        const LayoutFile& f = files[e.file];
        const bool holds = from > 0 ? f.folder == blocks[b].folder && f.size > 0 && f.offset <= lastByte &&
                                          lastByte < f.offset + f.size
                                    : lastBlock[e.file] >= b && f.size > 0;
        if (holds) carried.push_back(e.file);
      }
    }
    previous = c.folders.back();
    out.push_back(std::move(c));
  }

  // Folder fields and offsets, and the sizes as written (the last part has
  // no next name).
  const int n = static_cast<int>(out.size());
  for (int k = 0; k < n; ++k) {
    LayoutCabinet& c = out[static_cast<size_t>(k)];
    for (LayoutEntry& e : c.files) {
      const LayoutFile& f = files[e.file];
      const bool prev = firstCab[e.file] < k, next = lastCab[e.file] > k;
      size_t index = 0;
      while (index + 1 < c.folders.size() && c.folders[index].folder != f.folder) ++index;
      e.offset = f.offset - c.folders[index].start;
      e.folderField = prev && next ? cab::kFolderContinuedPrevAndNext
                      : prev       ? cab::kFolderContinuedFromPrev
                      : next       ? cab::kFolderContinuedToNext
                                   : static_cast<uint16_t>(index);
    }
    uint64_t bytes = cab::HeaderSize(k > 0 ? names(k) : std::string(), k + 1 < n ? names(k + 2) : std::string());
    bytes += cab::kFolderBytes * c.folders.size();
    for (const LayoutEntry& e : c.files) bytes += entryBytes(e.file);
    for (const LayoutPiece& p : c.pieces) bytes += cab::kDataHeaderBytes + p.length;
    c.bytes = bytes;
  }
  return "";
}

std::string WriteCabinetSet(IPlatform& platform, const std::vector<PayloadFile>& files, uint64_t partSize,
                            const std::function<Text(int)>& partPath, const std::function<std::string(int)>& partName,
                            const Text& tempPath, const CabinetOptions& options, CabinetResult& result) {
  result = CabinetResult{};
  struct RemoveTemp {
    IPlatform& platform;
    const Text& path;
    ~RemoveTemp() { platform.RemoveFile(path); }
  } removeTemp{platform, tempPath};
  if (partSize < kMinPartSize || partSize > cab::kMaxCabinetBytes)
    return "the part size " + std::to_string(partSize) + " is outside " + std::to_string(kMinPartSize) + " to " +
           std::to_string(cab::kMaxCabinetBytes) + " bytes";
  const Plan plan = MakePlan(files, true);

  // ---- the compressed blocks, to the temporary file ----------------------
  std::vector<LayoutBlock> blocks;
  std::vector<uint64_t> blockAt;
  {
    std::unique_ptr<IFileWriter> file;
    if (uint32_t e = platform.CreateWrite(tempPath, file))
      return "cannot create " + U8(tempPath) + ": " + SystemMessage(platform, e);
    BufferedOut out(platform, *file, tempPath);
    uint64_t start = 0;
    uint32_t folder = 0;
    const std::string error = CompressPayload(platform, files, plan, options, [&](const BlockOut& b) -> std::string {
      if (b.folder != folder) start = 0;
      folder = b.folder;
      blocks.push_back(LayoutBlock{b.folder, start, b.size, static_cast<uint32_t>(b.packed)});
      blockAt.push_back(out.Position());
      start += b.size;
      return out.Write(b.data, b.packed);
    });
    if (!error.empty()) return error;
    if (std::string e = out.Flush(); !e.empty()) return e;
    if (uint32_t e = file->Close()) return "cannot write " + U8(tempPath) + ": " + SystemMessage(platform, e);
  }

  // ---- the layout ----------------------------------------------------------
  std::vector<LayoutFile> layoutFiles;
  for (size_t i = 0; i < files.size(); ++i)
    layoutFiles.push_back(LayoutFile{plan.fileFolder[i], plan.fileOffset[i], files[i].size,
                                     static_cast<uint32_t>(files[i].name.size())});
  std::vector<LayoutCabinet> cabinets;
  if (std::string e = LayoutSet(blocks, layoutFiles, partSize, partName, cabinets); !e.empty()) return e;

  // ---- the parts -------------------------------------------------------------
  std::unique_ptr<IFileReader> in;  // closed before the temporary file goes
  if (uint32_t e = platform.OpenRead(tempPath, in)) return "cannot open " + U8(tempPath) + ": " + SystemMessage(platform, e);
  std::vector<uint8_t> piece(cab::kMaxCompressedBlock);
  const int n = static_cast<int>(cabinets.size());
  for (int k = 0; k < n; ++k) {
    const LayoutCabinet& c = cabinets[static_cast<size_t>(k)];
    cab::HeaderFields h;
    h.cabinetBytes = static_cast<uint32_t>(c.bytes);
    h.folders = static_cast<uint16_t>(c.folders.size());
    h.files = static_cast<uint16_t>(c.files.size());
    h.setId = options.setId;
    h.index = static_cast<uint16_t>(k);
    if (k > 0) h.prevCabinet = partName(k);
    if (k + 1 < n) h.nextCabinet = partName(k + 2);
    h.filesOffset = static_cast<uint32_t>(cab::HeaderSize(h.prevCabinet, h.nextCabinet) + cab::kFolderBytes * c.folders.size());
    std::vector<uint8_t> head = cab::Header(h);
    uint64_t at = h.filesOffset;
    for (const LayoutEntry& e : c.files) at += cab::kFileFixedBytes + files[e.file].name.size() + 1;
    std::vector<uint64_t> pieceAt;
    for (const LayoutPiece& p : c.pieces) {
      pieceAt.push_back(at);
      at += cab::kDataHeaderBytes + p.length;
    }
    for (const LayoutFolder& f : c.folders)
      cab::AppendFolder(head, static_cast<uint32_t>(f.pieces ? pieceAt[f.firstPiece] : at), f.pieces,
                        CompressionField(options));
    for (const LayoutEntry& e : c.files) {
      const PayloadFile& f = files[e.file];
      cab::AppendFile(head, static_cast<uint32_t>(f.size), static_cast<uint32_t>(e.offset), e.folderField, f.time,
                      f.attributes, f.name);
    }
    PutSignature(head);

    const Text path = partPath(k + 1);
    std::unique_ptr<IFileWriter> file;
    if (uint32_t e = platform.CreateWrite(path, file)) return "cannot create " + U8(path) + ": " + SystemMessage(platform, e);
    Sha1 digest;
    if (!digest.Ok()) return "the SHA-1 digest is not available";
    BufferedOut out(platform, *file, path, &digest);
    if (std::string e = out.Write(head.data(), head.size()); !e.empty()) return e;
    std::vector<uint8_t> dataHeader;
    for (const LayoutPiece& p : c.pieces) {
      uint64_t reached = 0;
      const uint64_t from = blockAt[p.block] + p.from;
      if (uint32_t e = in->Seek(from, &reached); e || reached != from)
        return "cannot read " + U8(tempPath) + ": " + SystemMessage(platform, e ? e : winerr::kReadFault);
      uint32_t total = 0, got = 0;
      while (total < p.length) {
        if (uint32_t e = in->Read(piece.data() + total, p.length - total, &got))
          return "cannot read " + U8(tempPath) + ": " + SystemMessage(platform, e);
        if (got == 0) return U8(tempPath) + " ended early";
        total += got;
      }
      const uint16_t size = p.last ? static_cast<uint16_t>(blocks[p.block].size) : 0;
      dataHeader.clear();
      cab::AppendDataHeader(dataHeader, cab::DataChecksum(piece.data(), static_cast<uint16_t>(p.length), size),
                            static_cast<uint16_t>(p.length), size);
      if (std::string e = out.Write(dataHeader.data(), dataHeader.size()); !e.empty()) return e;
      if (std::string e = out.Write(piece.data(), p.length); !e.empty()) return e;
    }
    if (std::string e = out.Flush(); !e.empty()) return e;
    if (uint32_t e = file->Close()) return "cannot write " + U8(path) + ": " + SystemMessage(platform, e);
    if (out.Position() != c.bytes) return "internal error: part " + std::to_string(k + 1) + " came out at a wrong size";
    CabinetPart part;
    part.path = path;
    part.size = out.Position();
    part.digest = digest.Digest16Hex();
    if (part.digest.empty()) return "the SHA-1 digest of " + U8(path) + " failed";
    result.cabinetBytes += part.size;
    result.parts.push_back(std::move(part));
  }
  result.payloadBytes = plan.totalBytes;
  return "";
}

}  // namespace tovu::pack
