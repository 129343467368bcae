#include "win32/FilesDlg.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <optional>

#include <utility>

#include "base/Format.h"
#include "base/Texts.h"
#include "filesystem/ExtractionRun.h"
#include "filesystem/FileRows.h"
#include "ui/WideText.h"
#include "win32/FilesDlgRes.h"

namespace {

enum Column { kName, kSize, kDate, kState };
// Shares of the list's width at the start; the name column takes what the list gains later.
constexpr int kColumnPercents[] = {30, 14, 30, 26};

struct ResizeRule {
  int id, left, top, width, height;
};
constexpr ResizeRule kResizeRules[] = {
    {IDC_FILES_SUMMARY, 0, 0, 100, 0}, {IDC_FILES_AREAS, 0, 0, 100, 0},  {IDC_FILES_TREE, 0, 0, 0, 100},
    {IDC_FILES_LIST, 0, 0, 100, 100},  {IDC_FILES_EXTRACT, 100, 100, 0, 0}, {IDCANCEL, 100, 100, 0, 0},
};

HTREEITEM AddNode(HWND tree, HTREEITEM parent, const std::string& text, LPARAM entry) {
  std::wstring wide = Wide(text);
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM;
  insert.item.pszText = wide.data();
  insert.item.lParam = entry;
  return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

// The folder dialog of systems before Vista starts in the folder given as its data.
int CALLBACK StartInFolder(HWND dialog, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data) ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

std::string BrowseForFolder(HWND owner, const std::wstring& title, const std::wstring& start) {
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  browse.lpfn = &StartInFolder;
  browse.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
  PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&browse);
  if (!chosen) return {};
  wchar_t path[MAX_PATH] = {};
  BOOL found = ::SHGetPathFromIDListW(chosen, path);
  ::CoTaskMemFree(chosen);
  return found ? Narrow(path) : std::string();
}

// The item dialog in its folder form; nullopt where the system has none (the caller falls back).
std::optional<std::string> PickFolder(HWND owner, const std::wstring& title, const std::wstring& start) {
  IFileOpenDialog* dialog = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
    return std::nullopt;
  }
  std::string chosen;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  dialog->SetTitle(title.c_str());
  IShellItem* folder = nullptr;
  if (!start.empty() && SUCCEEDED(::SHCreateItemFromParsingName(start.c_str(), nullptr, IID_PPV_ARGS(&folder)))) {
    dialog->SetFolder(folder);
    folder->Release();
  }
  IShellItem* result = nullptr;
  if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&result))) {
    wchar_t* path = nullptr;
    if (SUCCEEDED(result->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
      chosen = Narrow(path);
      ::CoTaskMemFree(path);
    }
    result->Release();
  }
  dialog->Release();
  return chosen;
}

// A folder of this system chosen in the system's folder dialog; empty when cancelled.
std::string ChooseFolder(HWND owner, const std::string& start) {
  const std::wstring title = Wide(TextOf(kTextExtractChooseFolder)), startWide = Wide(start);
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  std::optional<std::string> picked = PickFolder(owner, title, startWide);
  std::string chosen = picked ? *picked : BrowseForFolder(owner, title, startWide);
  if (SUCCEEDED(com)) ::CoUninitialize();
  return chosen;
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

CFilesDlg::CFilesDlg(const DialogContext& context, FatVolume volume, std::string imagePath, IMessageBoxes& boxes)
    : CMyDialog(IDD_FILES, context),
      volume_(std::move(volume)),
      imagePath_(std::move(imagePath)),
      boxes_(boxes),
      lastFolder_(FolderOf(imagePath_)) {}

bool CFilesDlg::OnInitDialog() {
  CMyDialog::OnInitDialog();
  Resizer().SetEnabled(true);
  for (const ResizeRule& rule : kResizeRules) Resizer().Add(rule.id, rule.left, rule.top, rule.width, rule.height);

  SetItemText(IDC_FILES_SUMMARY, VolumeSummary(volume_));
  SetItemText(IDC_FILES_AREAS, AreasSummary(volume_));

  list_.Attach(*this, IDC_FILES_LIST);
  ListView& list = list_.List();
  list.AddExtendedStyles(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_HEADERDRAGDROP);
  RECT client{};
  ::GetClientRect(list.Window(), &client);
  const int width = client.right - client.left - ::GetSystemMetrics(SM_CXVSCROLL);
  const char* captions[] = {kTextFilesColumnName, kTextFilesColumnSize, kTextFilesColumnDate, kTextFilesColumnState};
  for (int column = kName; column <= kState; ++column) {
    list.InsertColumn(column, captions[column], width * kColumnPercents[column] / 100);
  }
  list_.SetColumnTypes({SortKeyType::Text, SortKeyType::Number, SortKeyType::Number, SortKeyType::Number});
  list_.SetColumnWidthPercent(kName, 100.0f);
  list_.SortByColumn(kName, true);

  FillTree();
  CenterOverOwner();
  return true;
}

void CFilesDlg::FillTree() {
  HWND tree = Item(IDC_FILES_TREE);
  const std::vector<FatEntry>& entries = volume_.Entries();
  const std::string rootName = volume_.Label().empty() ? std::string(kTextFilesRootNode) : volume_.Label();
  HTREEITEM root = AddNode(tree, TVI_ROOT, rootName, -1);
  folderNodes_.assign(entries.size(), nullptr);
  // Each folder comes before its contents, so its parent's node exists already.
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].folder) continue;
    const int parent = entries[i].parent;
    HTREEITEM above = parent >= 0 ? folderNodes_[static_cast<std::size_t>(parent)] : root;
    if (above) folderNodes_[i] = AddNode(tree, above, entries[i].name, static_cast<LPARAM>(i));
  }
  ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
  ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
  ShowFolder(-1);
}

void CFilesDlg::ShowFolder(int folder) {
  ListView& list = list_.List();
  list.SetRedraw(false);
  ::SendMessageW(list.Window(), LVM_DELETEALLITEMS, 0, 0);
  for (const FileRow& row : FolderRows(volume_, folder)) {
    const int index = list.AppendRow(row.name);
    list.SetCellText(index, kSize, row.size);
    list.SetCellText(index, kDate, row.date);
    list.SetCellText(index, kState, row.state);
    list_.SetSortText(row.nameKey, index, kName);
    list_.SetSortNumber(row.sizeKey, index, kSize);
    list_.SetSortNumber(row.dateKey, index, kDate);
    list_.SetSortNumber(row.stateKey, index, kState);
    list_.SetRowTag(row.entry, index);
    if (row.damaged) list_.MarkRow(index);
  }
  list.SetRedraw(true);
  list_.SortByColumn(-1, true);
}

std::optional<LRESULT> CFilesDlg::OnNotify(NMHDR& header) {
  if (header.idFrom == IDC_FILES_TREE && (header.code == TVN_SELCHANGEDW || header.code == TVN_SELCHANGEDA)) {
    // Both forms carry the item's data at the same place.
    ShowFolder(static_cast<int>(reinterpret_cast<NMTREEVIEWW&>(header).itemNew.lParam));
    return 0;
  }
  // A double click on a folder opens it, as in the system's own windows.
  if (header.idFrom == IDC_FILES_LIST && header.code == NM_DBLCLK) {
    const int row = reinterpret_cast<NMITEMACTIVATE&>(header).iItem;
    const auto entry = static_cast<std::size_t>(list_.RowTag(row));  // -1 becomes too large
    if (entry < folderNodes_.size() && folderNodes_[entry]) {
      ::SendMessageW(Item(IDC_FILES_TREE), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(folderNodes_[entry]));
    }
    return 0;
  }
  return CMyDialog::OnNotify(header);
}

bool CFilesDlg::OnCommand(int id, int code, HWND control) {
  if (id == IDC_FILES_EXTRACT && code == BN_CLICKED) {
    Extract();
    return true;
  }
  return CMyDialog::OnCommand(id, code, control);
}

std::vector<int> CFilesDlg::ChosenEntries() {
  std::vector<int> entries;
  HWND list = list_.List().Window();
  for (int row = -1; (row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;) {
    const int64_t entry = list_.RowTag(row);
    if (entry >= 0) entries.push_back(static_cast<int>(entry));
  }
  return entries;
}

void CFilesDlg::Extract() {
  const std::vector<int> chosen = ChosenEntries();
  const std::string folder = ChooseFolder(Window(), lastFolder_);
  if (folder.empty()) return;
  lastFolder_ = folder;
  ExtractionSummary summary = ExtractChosen(volume_, chosen, folder, [this](const std::vector<std::string>& existing) {
    return boxes_.Show(kTextExtractAskReplace, FormatText(TextOf(kTextExtractAskReplace), {PathLines(existing)}),
                       MessageIcon::Question) == MessageAnswer::Yes;
  });
  boxes_.Show(kTextExtractWritten, ExtractionMessage(summary, folder),
              summary.Flawless() ? MessageIcon::Information : MessageIcon::Exclamation);
}
