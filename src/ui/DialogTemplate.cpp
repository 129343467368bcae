#include "ui/DialogTemplate.h"

#include <cstring>

namespace {

// DLGTEMPLATEEX begins with dlgVer 1, signature 0xFFFF, helpID and exStyle; DLGTEMPLATE with the style.
std::size_t StyleOffset(const std::vector<uint8_t>& data) {
  uint16_t words[2] = {};
  std::memcpy(words, data.data(), sizeof words);
  return words[0] == 1 && words[1] == 0xFFFF ? 12 : 0;
}

}  // namespace

std::vector<uint8_t> LoadHiddenDialogTemplate(HINSTANCE module, int templateId) {
  HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5));  // RT_DIALOG
  if (!resource) return {};
  HGLOBAL loaded = ::LoadResource(module, resource);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  DWORD size = ::SizeofResource(module, resource);
  if (!bytes || size < 16) return {};
  std::vector<uint8_t> data(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + size);
  std::size_t offset = StyleOffset(data);
  uint32_t style = 0;
  std::memcpy(&style, data.data() + offset, sizeof style);
  style &= ~static_cast<uint32_t>(WS_VISIBLE);
  std::memcpy(data.data() + offset, &style, sizeof style);
  return data;
}
