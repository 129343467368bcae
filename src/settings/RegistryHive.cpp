#include "settings/RegistryHive.h"

#include <algorithm>
#include <cstdio>

#include "base/LittleEndian.h"
#include "base/Utf.h"

namespace {

constexpr const char* kRootNames[] = {"HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT"};
constexpr std::string_view kHeader = "REGEDIT4";

// --- writing ---------------------------------------------------------------------------------------------

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
}

// A REG_SZ is written as text only when the text reads back to exactly the same bytes.
std::optional<std::string> AsPrintableText(const std::vector<uint8_t>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return std::nullopt;
  std::u16string text;
  for (std::size_t i = 0; i < data.size(); i += 2) text += static_cast<char16_t>(GetLe16(&data[i]));
  if (text.back() != 0) return std::nullopt;
  text.pop_back();
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c < 0x20 || c == 0x7F) return std::nullopt;
    bool high = c >= 0xD800 && c <= 0xDBFF;
    bool low = c >= 0xDC00 && c <= 0xDFFF;
    if (low) return std::nullopt;
    if (high) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return std::nullopt;
      ++i;
    }
  }
  return Utf16ToUtf8(text);
}

void AppendValue(std::string& out, const RegistryHive::Value& value) {
  if (value.name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, value.name);
  }
  out += '=';
  char number[32];
  if (value.type == 1) {
    if (auto text = AsPrintableText(value.data)) {
      AppendQuoted(out, *text);
      out += '\n';
      return;
    }
  }
  if (value.type == 4 && value.data.size() == 4) {
    uint32_t dword = GetLe32(value.data.data());
    std::snprintf(number, sizeof number, "dword:%08x\n", dword);
    out += number;
    return;
  }
  if (value.type == 3) {
    out += "hex:";
  } else {
    std::snprintf(number, sizeof number, "hex(%x):", value.type);
    out += number;
  }
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    std::snprintf(number, sizeof number, i == 0 ? "%02x" : ",%02x", value.data[i]);
    out += number;
  }
  out += '\n';
}

// --- reading ---------------------------------------------------------------------------------------------

class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (position_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', position_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(position_, end - position_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    position_ = end + 1;
    return true;
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

// Reads a quoted string at text[i]; i ends after the closing quote.
std::optional<std::string> ReadQuoted(std::string_view text, std::size_t& i) {
  if (i >= text.size() || text[i] != '"') return std::nullopt;
  std::string out;
  for (++i; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      ++i;
      return out;
    }
    if (c == '\\') {
      if (++i >= text.size()) return std::nullopt;
      c = text[i];
      if (c != '\\' && c != '"') return std::nullopt;
    }
    out += c;
  }
  return std::nullopt;
}

std::optional<uint32_t> ReadHexNumber(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  uint32_t value = 0;
  for (char c : text) {
    int digit = c >= '0' && c <= '9' ? c - '0' : AsciiLower(c) >= 'a' && AsciiLower(c) <= 'f' ? AsciiLower(c) - 'a' + 10 : -1;
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<uint32_t>(digit);
  }
  return value;
}

std::optional<std::vector<uint8_t>> ReadHexBytes(std::string_view text) {
  std::vector<uint8_t> bytes;
  while (!text.empty()) {
    std::size_t comma = text.find(',');
    std::string_view item = text.substr(0, comma);
    auto byte = ReadHexNumber(item, 2);
    if (!byte) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(*byte));
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
    if (text.empty()) return std::nullopt;
  }
  return bytes;
}

std::optional<RegistryHive::Value> ParseValueLine(std::string_view line) {
  RegistryHive::Value value;
  std::size_t i = 0;
  if (line[0] == '@') {
    i = 1;
  } else {
    auto name = ReadQuoted(line, i);
    if (!name || name->empty()) return std::nullopt;
    value.name = *name;
  }
  if (i >= line.size() || line[i] != '=') return std::nullopt;
  std::string_view data = line.substr(i + 1);
  if (!data.empty() && data[0] == '"') {
    std::size_t j = 0;
    auto text = ReadQuoted(data, j);
    if (!text || j != data.size()) return std::nullopt;
    std::u16string wide = Utf8ToUtf16(*text);
    value.type = 1;
    for (char16_t c : wide) {
      value.data.push_back(static_cast<uint8_t>(c & 0xFF));
      value.data.push_back(static_cast<uint8_t>(c >> 8));
    }
    value.data.push_back(0);
    value.data.push_back(0);
    return value;
  }
  if (data.substr(0, 6) == "dword:") {
    auto dword = ReadHexNumber(data.substr(6), 8);
    if (!dword || data.size() != 14) return std::nullopt;
    value.type = 4;
    value.data.resize(4);
    PutLe32(value.data.data(), *dword);
    return value;
  }
  std::string_view bytes;
  if (data.substr(0, 4) == "hex:") {
    value.type = 3;
    bytes = data.substr(4);
  } else if (data.substr(0, 4) == "hex(") {
    std::size_t close = data.find("):");
    if (close == std::string_view::npos) return std::nullopt;
    auto type = ReadHexNumber(data.substr(4, close - 4), 8);
    if (!type) return std::nullopt;
    value.type = *type;
    bytes = data.substr(close + 2);
  } else {
    return std::nullopt;
  }
  auto parsed = ReadHexBytes(bytes);
  if (!parsed) return std::nullopt;
  value.data = std::move(*parsed);
  return value;
}

}  // namespace

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return AsciiLower(x) < AsciiLower(y); });
}

KeyPath MakeKeyPath(const std::string& rootName, std::string_view subKey) {
  KeyPath path{rootName};
  while (!subKey.empty()) {
    std::size_t slash = subKey.find('\\');
    std::string_view name = subKey.substr(0, slash);
    if (!name.empty()) path.emplace_back(name);
    if (slash == std::string_view::npos) break;
    subKey.remove_prefix(slash + 1);
  }
  return path;
}

RegistryHive::RegistryHive() {
  for (const char* root : kRootNames) roots_[root] = std::make_unique<Key>();
}

const RegistryHive::Key* RegistryHive::Find(const KeyPath& path) const {
  if (path.empty()) return nullptr;
  auto root = roots_.find(path[0]);
  if (root == roots_.end()) return nullptr;
  const Key* key = root->second.get();
  for (std::size_t i = 1; i < path.size(); ++i) {
    auto child = key->subkeys.find(path[i]);
    if (child == key->subkeys.end()) return nullptr;
    key = child->second.get();
  }
  return key;
}

RegistryHive::Key* RegistryHive::Find(const KeyPath& path) {
  return const_cast<Key*>(static_cast<const RegistryHive*>(this)->Find(path));
}

bool RegistryHive::KeyExists(const KeyPath& path) const { return Find(path) != nullptr; }

bool RegistryHive::CreateKey(const KeyPath& path) {
  if (path.empty()) return false;
  auto root = roots_.find(path[0]);
  if (root == roots_.end()) return false;
  Key* key = root->second.get();
  for (std::size_t i = 1; i < path.size(); ++i) {
    auto& child = key->subkeys[path[i]];
    if (!child) child = std::make_unique<Key>();
    key = child.get();
  }
  return true;
}

RegistryHive::DeleteResult RegistryHive::DeleteKey(const KeyPath& path) {
  if (path.size() < 2) return path.empty() || !KeyExists(path) ? DeleteResult::Missing : DeleteResult::HasSubkeys;
  KeyPath parentPath(path.begin(), path.end() - 1);
  Key* parent = Find(parentPath);
  if (!parent) return DeleteResult::Missing;
  auto it = parent->subkeys.find(path.back());
  if (it == parent->subkeys.end()) return DeleteResult::Missing;
  if (!it->second->subkeys.empty()) return DeleteResult::HasSubkeys;
  parent->subkeys.erase(it);
  return DeleteResult::Deleted;
}

const RegistryHive::Value* RegistryHive::FindValue(const KeyPath& path, std::string_view name) const {
  const Key* key = Find(path);
  if (!key) return nullptr;
  for (const Value& value : key->values) {
    if (EqualsIgnoringCase(value.name, name)) return &value;
  }
  return nullptr;
}

bool RegistryHive::SetValue(const KeyPath& path, const std::string& name, uint32_t type, std::vector<uint8_t> data) {
  Key* key = Find(path);
  if (!key) return false;
  for (Value& value : key->values) {
    if (EqualsIgnoringCase(value.name, name)) {
      value.type = type;
      value.data = std::move(data);
      return true;
    }
  }
  key->values.push_back(Value{name, type, std::move(data)});
  return true;
}

std::optional<std::string> RegistryHive::SubkeyAt(const KeyPath& path, std::size_t index) const {
  const Key* key = Find(path);
  if (!key || index >= key->subkeys.size()) return std::nullopt;
  auto it = key->subkeys.begin();
  std::advance(it, static_cast<std::ptrdiff_t>(index));
  return it->first;
}

bool RegistryHive::KeyHoldsValues(const Key& key) {
  return !key.values.empty() || std::any_of(key.subkeys.begin(), key.subkeys.end(),
                                            [](const auto& child) { return KeyHoldsValues(*child.second); });
}

bool RegistryHive::HoldsValues() const {
  return std::any_of(roots_.begin(), roots_.end(), [](const auto& root) { return KeyHoldsValues(*root.second); });
}

void RegistryHive::SerializeKey(const Key& key, const std::string& path, std::string& out) {
  out += '[';
  out += path;
  out += "]\n";
  for (const Value& value : key.values) AppendValue(out, value);
  out += '\n';
  for (const auto& [name, child] : key.subkeys) SerializeKey(*child, path + "\\" + name, out);
}

std::string RegistryHive::Serialize() const {
  std::string out(kHeader);
  out += "\n\n";
  for (const auto& [name, root] : roots_) {
    // Empty roots are left out; every other key is written, also without values, since it exists.
    for (const auto& [childName, child] : root->subkeys) SerializeKey(*child, name + "\\" + childName, out);
  }
  return out;
}

std::optional<RegistryHive> RegistryHive::Parse(std::string_view text) {
  if (text.size() > kMaxTextBytes) return std::nullopt;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  RegistryHive hive;
  LineReader reader(text);
  std::string_view line;
  bool headerSeen = false;
  std::optional<KeyPath> current;
  while (reader.Next(line)) {
    if (line.empty() || line[0] == ';') continue;
    if (!headerSeen) {
      if (line != kHeader) return std::nullopt;
      headerSeen = true;
      continue;
    }
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) return std::nullopt;
      std::string_view full = line.substr(1, line.size() - 2);
      std::size_t slash = full.find('\\');
      std::string root(full.substr(0, slash));
      KeyPath path = MakeKeyPath(root, slash == std::string_view::npos ? std::string_view() : full.substr(slash + 1));
      if (!hive.CreateKey(path)) return std::nullopt;
      current = std::move(path);
      continue;
    }
    if (!current) return std::nullopt;
    auto value = ParseValueLine(line);
    if (!value) return std::nullopt;
    hive.SetValue(*current, value->name, value->type, std::move(value->data));
  }
  if (!headerSeen) return std::nullopt;
  return hive;
}
