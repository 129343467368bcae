#include "win32/FilesDlg.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <commdlg.h>

#include <optional>

#include <utility>

#include "base/Format.h"
#include "base/Texts.h"
#include "filesystem/ExtractionRun.h"
#include "filesystem/FileRows.h"
#include "base/HostFiles.h"
#include "ui/WideText.h"
#include "win32/DroppedFiles.h"
#include "win32/FilesDlgRes.h"
#include "win32/NewFolderDlg.h"

namespace {

enum Column { kName, kSize, kDate, kState };
// Shares of the list's width at the start; the name column takes what the list gains later.
constexpr int kColumnPercents[] = {30, 14, 30, 26};

struct ResizeRule {
  int id, left, top, width, height;
};
constexpr ResizeRule kResizeRules[] = {
    {IDC_FILES_SUMMARY, 0, 0, 100, 0},    {IDC_FILES_AREAS, 0, 0, 100, 0},        {IDC_FILES_TREE, 0, 0, 0, 100},
    {IDC_FILES_LIST, 0, 0, 100, 100},     {IDC_FILES_ADD, 0, 100, 0, 0},          {IDC_FILES_NEW_FOLDER, 0, 100, 0, 0},
    {IDC_FILES_DELETE, 0, 100, 0, 0},     {IDC_FILES_SAVE, 0, 100, 0, 0},         {IDC_FILES_EXTRACT, 100, 100, 0, 0},
    {IDCANCEL, 100, 100, 0, 0},
};
constexpr int kChangeCommands[] = {IDC_FILES_ADD, IDC_FILES_NEW_FOLDER, IDC_FILES_DELETE, IDC_FILES_SAVE};

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

// Files of this system chosen in the system's open dialog, several at once; empty when cancelled.
std::vector<std::string> ChooseFiles(HWND owner, const std::string& start) {
  std::wstring names(32768, L'\0');
  const std::wstring title = Wide(TextOf(kTextFilesAddTitle)), folder = Wide(start);
  std::wstring filter = Wide(kTextFilesAddFilter) + L'\0' + L"*.*" + L'\0';
  OPENFILENAMEW open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = owner;
  open.lpstrFilter = filter.c_str();
  open.lpstrFile = names.data();
  open.nMaxFile = static_cast<DWORD>(names.size());
  open.lpstrTitle = title.c_str();
  open.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  open.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!::GetOpenFileNameW(&open)) return {};
  // One file: its whole path. Several: their folder, then their names, each ended by a NUL.
  std::vector<std::wstring> parts;
  for (const wchar_t* at = names.c_str(); *at; at += parts.back().size() + 1) parts.emplace_back(at);
  if (parts.size() == 1) return {Narrow(parts.front())};
  std::vector<std::string> paths;
  for (std::size_t i = 1; i < parts.size(); ++i) paths.push_back(Narrow(parts.front() + L"\\" + parts[i]));
  return paths;
}

}  // namespace

CFilesDlg::CFilesDlg(const DialogContext& context, FatVolume volume, std::string imagePath, IMessageBoxes& boxes,
                     ImageWriteOptions write)
    : CMyDialog(IDD_FILES, context),
      volume_(std::move(volume)),
      write_(std::move(write)),
      imagePath_(std::move(imagePath)),
      boxes_(boxes),
      lastFolder_(FolderOf(imagePath_)) {}

bool CFilesDlg::OnInitDialog() {
  CMyDialog::OnInitDialog();
  Resizer().SetEnabled(true);
  for (const ResizeRule& rule : kResizeRules) Resizer().Add(rule.id, rule.left, rule.top, rule.width, rule.height);

  std::string why;
  editable_ = edit_.Open(imagePath_, &why);
  for (int id : kChangeCommands) {
    ::EnableWindow(Item(id), editable_ && id != IDC_FILES_SAVE ? TRUE : FALSE);
    if (!editable_) SetToolTipText(id, why);
  }
  ::DragAcceptFiles(Window(), editable_ ? TRUE : FALSE);

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

  FillTree({});
  CenterOverOwner();
  return true;
}

void CFilesDlg::FillTree(const std::string& folderPath) {
  const FatVolume& volume = Shown();
  SetItemText(IDC_FILES_SUMMARY, VolumeSummary(volume));
  SetItemText(IDC_FILES_AREAS, AreasSummary(volume));
  HWND tree = Item(IDC_FILES_TREE);
  filling_ = true;
  ::SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  const std::vector<FatEntry>& entries = volume.Entries();
  const std::string rootName = volume.Label().empty() ? std::string(kTextFilesRootNode) : volume.Label();
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
  int folder = -1;
  for (std::size_t i = 0; i < entries.size() && !folderPath.empty(); ++i) {
    if (entries[i].path == folderPath && folderNodes_[i]) folder = static_cast<int>(i);
  }
  HTREEITEM chosen = folder < 0 ? root : folderNodes_[static_cast<std::size_t>(folder)];
  ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(chosen));
  filling_ = false;
  ShowFolder(folder);
}

void CFilesDlg::ShowFolder(int folder) {
  folder_ = folder;
  ListView& list = list_.List();
  list.SetRedraw(false);
  ::SendMessageW(list.Window(), LVM_DELETEALLITEMS, 0, 0);
  for (const FileRow& row : FolderRows(Shown(), folder)) {
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
    if (!filling_) ShowFolder(static_cast<int>(reinterpret_cast<NMTREEVIEWW&>(header).itemNew.lParam));
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
  if (code != BN_CLICKED) return CMyDialog::OnCommand(id, code, control);
  switch (id) {
    case IDC_FILES_EXTRACT: Extract(); return true;
    case IDC_FILES_ADD: AddChosenFiles(); return true;
    case IDC_FILES_NEW_FOLDER: MakeFolder(); return true;
    case IDC_FILES_DELETE: DeleteChosen(); return true;
    case IDC_FILES_SAVE: Save(); return true;
    default: return CMyDialog::OnCommand(id, code, control);
  }
}

std::optional<LRESULT> CFilesDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DROPFILES) {
    const std::vector<std::string> paths = DroppedFiles(reinterpret_cast<HDROP>(wParam));
    if (editable_ && !paths.empty()) Add(paths);
    return 0;
  }
  return CMyDialog::WindowProc(message, wParam, lParam);
}

std::string CFilesDlg::FolderPath() const {
  return folder_ < 0 ? std::string() : Shown().Entries()[static_cast<std::size_t>(folder_)].path;
}

// After a change (or a refusal): entries are numbered anew, so the folder shown is found again by its path.
void CFilesDlg::ShowChanged(const std::string& folderPath) {
  FillTree(folderPath);
  ::SetWindowTextW(Window(), Wide(edit_.Unsaved() ? kTextFilesCaptionUnsaved : kTextFilesCaption).c_str());
  ::EnableWindow(Item(IDC_FILES_SAVE), edit_.Unsaved() ? TRUE : FALSE);
}

void CFilesDlg::AddChosenFiles() {
  const std::vector<std::string> paths = ChooseFiles(Window(), lastFolder_);
  if (paths.empty()) return;
  lastFolder_ = FolderOf(paths.front());
  Add(paths);
}

void CFilesDlg::Add(const std::vector<std::string>& paths) {
  const std::string folder = FolderPath();
  if (edit_.Add(folder_, paths, boxes_)) ShowChanged(folder);
}

void CFilesDlg::MakeFolder() {
  const std::string folder = FolderPath();
  CNewFolderDlg dialog(Context(), [this](const std::string& name) {
    return edit_.MakeFolder(folder_, name, LocalTimeNow(), boxes_);
  });
  if (dialog.RunModal(Window()) == IDOK) ShowChanged(folder);
}

void CFilesDlg::DeleteChosen() {
  const std::vector<int> chosen = ChosenEntries();
  if (chosen.empty()) {
    ShowInformation(boxes_, kTextFilesChosenNothing);
    return;
  }
  if (!AskYesNo(boxes_, kTextFilesAskDelete, {static_cast<int>(chosen.size())})) return;
  const std::string folder = FolderPath();
  if (edit_.Delete(chosen, boxes_)) ShowChanged(folder);
}

bool CFilesDlg::Save() {
  if (edit_.Save(write_, boxes_) != 0) return false;
  saved_ = true;
  ShowChanged(FolderPath());
  return true;
}

void CFilesDlg::OnCancel() {
  if (editable_ && edit_.Unsaved() && AskYesNo(boxes_, kTextFilesAskSave, {imagePath_}) && !Save()) return;
  End(IDCANCEL);
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
  ExtractionSummary summary = ExtractChosen(Shown(), chosen, folder, [this](const std::vector<std::string>& existing) {
    return boxes_.Show(kTextExtractAskReplace, FormatText(TextOf(kTextExtractAskReplace), {PathLines(existing)}),
                       MessageIcon::Question) == MessageAnswer::Yes;
  });
  boxes_.Show(kTextExtractWritten, ExtractionMessage(summary, folder),
              summary.Flawless() ? MessageIcon::Information : MessageIcon::Exclamation);
}
