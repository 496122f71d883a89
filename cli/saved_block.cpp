#include "cli/saved_block.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "cli/json_text.h"
#include "text/int_text.h"

namespace kx71::cli {
namespace {

constexpr const char* kFormat = "kx71-vantor-block";
constexpr int kVersion = 1;

std::uint32_t Identifier(const SettingsBlock& b, std::size_t first) {
  return static_cast<std::uint32_t>(b[first]) << 16 | static_cast<std::uint32_t>(b[first + 1]) << 8 |
         b[first + 2];
}

std::optional<SettingsBlock> ParseBlockHex(const std::string& hex) {
  if (hex.size() != 2 * kBlockSize) return std::nullopt;
  SettingsBlock block{};
  for (std::size_t i = 0; i < kBlockSize; ++i) {
    const int hi = HexDigitValue(hex[2 * i]), lo = HexDigitValue(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    block[i] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  return block;
}

}  // namespace

std::uint32_t TSavedBlock::YourId() const {
  return Identifier(block, 1);
}
std::uint32_t TSavedBlock::MyId() const {
  return Identifier(block, 4);
}

std::string BlockHex(const SettingsBlock& block) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (const std::uint8_t b : block) {
    hex.push_back(kDigits[b >> 4]);
    hex.push_back(kDigits[b & 0xF]);
  }
  return hex;
}

std::string SavedBlockJson(const TSavedBlock& saved) {
  std::ostringstream out;
  out << "{\n  \"format\": " << JsonString(kFormat) << ",\n  \"version\": " << kVersion
      << ",\n  \"port\": " << JsonString(saved.port) << ",\n  \"yourId\": " << saved.YourId()
      << ",\n  \"myId\": " << saved.MyId() << ",\n  \"block\": " << JsonString(BlockHex(saved.block))
      << "\n}\n";
  return out.str();
}

std::variant<TSavedBlock, std::string> ParseSavedBlock(const std::string& text) {
  const auto object = ParseFlatJsonObject(text);
  if (const auto* error = std::get_if<std::string>(&object)) return "not a saved block: " + *error;
  const auto& fields = std::get<TJsonObject>(object);
  const auto field = [&](const char* name) -> const TJsonValue* {
    const auto it = fields.find(name);
    return it == fields.end() ? nullptr : &it->second;
  };
  const TJsonValue* format = field("format");
  if (!format || format->isNumber || format->text != kFormat)
    return std::string("not a saved block (no \"format\": \"") + kFormat + "\")";
  const TJsonValue* version = field("version");
  if (!version || !version->isNumber || version->number != kVersion)
    return "unknown version (this program reads version " + std::to_string(kVersion) + ")";
  const TJsonValue* hex = field("block");
  if (!hex || hex->isNumber) return std::string("no \"block\"");
  const auto block = ParseBlockHex(hex->text);
  if (!block) return "\"block\" is not 32 hexadecimal digits";
  TSavedBlock saved;
  saved.block = *block;
  if (const TJsonValue* port = field("port"); port && !port->isNumber) saved.port = port->text;
  for (const auto& [name, value] : {std::pair{"yourId", saved.YourId()}, std::pair{"myId", saved.MyId()}}) {
    const TJsonValue* id = field(name);
    if (!id || !id->isNumber) return std::string("no \"") + name + "\"";
    if (id->number != static_cast<long long>(value))
      return std::string("\"") + name + "\" " + std::to_string(id->number) + " does not match the block's " +
             std::to_string(value);
  }
  return saved;
}

std::string SaveBlockFile(const std::string& path, const TSavedBlock& saved) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << SavedBlockJson(saved);
    out.flush();
    if (!out) {
      std::error_code ec;
      std::filesystem::remove(temporary, ec);
      return "cannot write " + temporary;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    std::filesystem::remove(temporary, ec);
    return "cannot write " + path + ": " + ec.message();
  }
  return {};
}

std::variant<TSavedBlock, std::string> LoadBlockFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "cannot read " + path;
  // A saved block is a few hundred bytes; anything much larger is some other file.
  constexpr std::size_t kMaxFileBytes = std::size_t{64} * 1024;
  std::string text(kMaxFileBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > kMaxFileBytes) return path + ": too large to be a saved block";
  auto saved = ParseSavedBlock(text);
  if (auto* error = std::get_if<std::string>(&saved)) return path + ": " + *error;
  return saved;
}

}  // namespace kx71::cli
