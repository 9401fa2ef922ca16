#include "support/ZipBuilder.h"

#include <zlib.h>

#include <stdexcept>

namespace bailan::test {
namespace {

void Put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

std::string RawDeflate(const std::string& data, bool finish) {
  z_stream s{};
  if (deflateInit2(&s, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflate");
  std::string out(deflateBound(&s, data.size()), '\0');
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  s.avail_in = static_cast<uInt>(data.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = static_cast<uInt>(out.size());
  deflate(&s, finish ? Z_FINISH : Z_FULL_FLUSH);
  out.resize(s.total_out);
  deflateEnd(&s);
  return out;
}

TZipBuilder& TZipBuilder::Add(TZipBuilderEntry entry) {
  entries_.push_back(std::move(entry));
  return *this;
}

TZipBuilder& TZipBuilder::AddFile(const std::string& name, const std::string& data, std::uint16_t method) {
  TZipBuilderEntry entry;
  entry.Name = name;
  entry.Data = data;
  entry.Method = method;
  return Add(std::move(entry));
}

TZipBuilder& TZipBuilder::Comment(std::string comment) {
  comment_ = std::move(comment);
  return *this;
}

TZipBuilder& TZipBuilder::Disks(std::uint16_t thisDisk, std::uint16_t directoryDisk) {
  thisDisk_ = thisDisk;
  directoryDisk_ = directoryDisk;
  return *this;
}

std::string TZipBuilder::Build() const {
  std::vector<std::size_t> offsets;
  std::size_t directory;
  return Build(offsets, directory);
}

std::string TZipBuilder::Build(std::vector<std::size_t>& localOffsets, std::size_t& directoryOffset) const {
  std::string out, central;
  localOffsets.clear();
  for (const TZipBuilderEntry& e : entries_) {
    std::string payload = (e.Method == 8 && !e.Precompressed) ? RawDeflate(e.Data) : e.Data;
    std::uint32_t crc =
        e.OverrideCrc ? e.Crc
                      : static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(e.Data.data()),
                                                         static_cast<uInt>(e.Data.size())));
    std::uint32_t usize = e.OverrideSize ? e.UncompressedSize : static_cast<std::uint32_t>(e.Data.size());
    std::string fields;  // shared by both headers: from "version needed" to the extra length
    Put16(fields, 20);
    Put16(fields, e.Flags);
    Put16(fields, e.Method);
    Put16(fields, e.DosTime);
    Put16(fields, e.DosDate);
    Put32(fields, crc);
    Put32(fields, e.OverrideCompressedSize ? e.CompressedSize : static_cast<std::uint32_t>(payload.size()));
    Put32(fields, usize);
    Put16(fields, static_cast<std::uint32_t>(e.Name.size()));
    Put16(fields, 0);
    if (e.CentralOnlyAt >= 0) {
      localOffsets.push_back(static_cast<std::size_t>(e.CentralOnlyAt));
    } else {
      localOffsets.push_back(out.size());
      Put32(out, 0x04034b50);
      out += fields;
      out += e.Name;
      out += payload;
    }
    Put32(central, 0x02014b50);
    Put16(central, e.VersionMadeBy);
    central += fields;
    Put16(central, 0);  // comment length
    Put16(central, 0);  // disk
    Put16(central, 0);  // internal attributes
    Put32(central, e.ExternalAttributes);
    Put32(central, static_cast<std::uint32_t>(localOffsets.back()));
    central += e.Name;
  }
  directoryOffset = out.size();
  out += central;
  Put32(out, 0x06054b50);
  Put16(out, thisDisk_);
  Put16(out, directoryDisk_);
  Put16(out, static_cast<std::uint32_t>(entries_.size()));
  Put16(out, static_cast<std::uint32_t>(entries_.size()));
  Put32(out, static_cast<std::uint32_t>(central.size()));
  Put32(out, static_cast<std::uint32_t>(directoryOffset));
  Put16(out, static_cast<std::uint32_t>(comment_.size()));
  out += comment_;
  return out;
}

}  // namespace bailan::test
