#include "win32/SelfExePage.h"

#include "settings/SelfExePages.h"

SelfExePage::SelfExePage(int templateId, const DialogContext& context, const SelfExeSheetServices& services,
                         std::span<const CheckBinding> checks, std::span<const TextBinding> texts)
    : CMyPropertyPage(templateId, context), values_(services.live), services_(services), checks_(checks),
      texts_(texts) {}

bool SelfExePage::OnInitDialog() {
  CMyPropertyPage::OnInitDialog();
  for (const CheckBinding& check : checks_) {
    ::SendMessageW(Item(check.id), BM_SETCHECK, values_.*check.value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  for (const TextBinding& text : texts_) {
    ::SendMessageW(Item(text.id), EM_SETLIMITTEXT, kSelfExeTextCharacters, 0);
    SetItemText(text.id, values_.*text.value);
  }
  return true;
}

void SelfExePage::ReadControls() {
  for (const CheckBinding& check : checks_) {
    values_.*check.value = ::SendMessageW(Item(check.id), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  }
  for (const TextBinding& text : texts_) values_.*text.value = ItemText(text.id);
}

void SelfExePage::EnableItems(std::initializer_list<int> ids, bool on) const {
  for (int id : ids) ::EnableWindow(Item(id), on ? TRUE : FALSE);
}
