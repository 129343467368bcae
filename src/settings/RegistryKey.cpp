#include "settings/RegistryKey.h"

#include <vector>

#include "base/LittleEndian.h"
#include "base/Utf.h"
#include "base/Win32Codes.h"

RegistryKey::~RegistryKey() {
  if (key != 0) backend_.CloseKey(key);
}

long RegistryKey::Create(RegistryHandle root, const std::string& subKey) {
  RegistryHandle opened = 0;
  long result = backend_.CreateKey(root, subKey, access, &opened);
  if (result == kErrorSuccess) key = opened;
  return Remember(result);
}

long RegistryKey::Open(RegistryHandle root, const std::string& subKey) {
  RegistryHandle opened = 0;
  long result = backend_.OpenKey(root, subKey, access, &opened);
  if (result == kErrorSuccess) key = opened;
  return Remember(result);
}

long RegistryKey::Close() {
  long result = backend_.CloseKey(key);
  key = 0;
  return Remember(result);
}

long RegistryKey::WriteString(const std::string& name, const std::string& value) {
  std::u16string text = Utf8ToUtf16(value);
  std::vector<uint8_t> data;
  data.reserve((text.size() + 1) * 2);
  for (char16_t c : text) {
    data.push_back(static_cast<uint8_t>(c & 0xFF));
    data.push_back(static_cast<uint8_t>(c >> 8));
  }
  data.push_back(0);
  data.push_back(0);
  return Remember(backend_.SetValue(key, name, kRegSz, data));
}

long RegistryKey::WriteDword(const std::string& name, uint32_t value) {
  uint8_t data[4];
  PutLe32(data, value);
  return Remember(backend_.SetValue(key, name, kRegDword, data));
}

long RegistryKey::ReadString(const std::string& name, std::string& out, const std::string& def) {
  std::vector<uint8_t> buffer(kMaxStringBytes);
  uint32_t size = kMaxStringBytes;
  uint32_t type = 0;
  long result = Remember(backend_.QueryValue(key, name, &type, buffer.data(), &size));
  if (result != kErrorSuccess) {
    out = def;
    return result;
  }
  std::u16string text;
  for (uint32_t i = 0; i + 1 < size; i += 2) {
    char16_t c = static_cast<char16_t>(GetLe16(&buffer[i]));
    if (c == 0) break;
    text += c;
  }
  out = Utf16ToUtf8(text);
  return result;
}

long RegistryKey::ReadDword(const std::string& name, uint32_t& out, uint32_t def) {
  uint8_t buffer[4] = {0, 0, 0, 0};
  uint32_t size = sizeof buffer;
  uint32_t type = 0;
  long result = Remember(backend_.QueryValue(key, name, &type, buffer, &size));
  if (result != kErrorSuccess) {
    out = def;
    return result;
  }
  out = GetLe32(buffer);
  return result;
}

long RegistryKey::DeleteTree(const std::string& subKeyName, RegistryHandle parent, int useOwnKey) {
  if (useOwnKey != 0) parent = key;
  if (subKeyName.empty()) return kErrorBadKey;

  RegistryHandle opened = 0;
  long result = backend_.OpenKey(parent, subKeyName, kKeyDeleteAndEnumerate, &opened);
  if (result != kErrorSuccess) return result;

  for (;;) {
    std::string child;
    result = backend_.EnumKey(opened, 0, &child);
    if (result == kErrorSuccess) {
      long childResult = DeleteTree(child, opened, 0);
      if (childResult != kErrorSuccess) {
        backend_.CloseKey(opened);
        return childResult;
      }
      continue;
    }
    if (result == kErrorNoMoreItems) {
      long deleted = backend_.DeleteKey(parent, subKeyName);
      backend_.CloseKey(opened);
      return deleted;
    }
    backend_.CloseKey(opened);
    return result;
  }
}
