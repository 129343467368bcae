#include "app/VolumeEdit.h"

#include <algorithm>
#include <utility>

#include "base/HostFiles.h"
#include "base/Texts.h"
#include "filesystem/FatFromFolder.h"
#include "filesystem/FileTexts.h"
#include "filesystem/VolumeChange.h"

namespace {

// The last message shown, kept instead of shown: why an image cannot be changed.
class KeptMessage : public IMessageBoxes {
 public:
  MessageAnswer Show(int, const std::string& text, MessageIcon) override {
    text_ = text;
    return MessageAnswer::No;
  }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace

bool VolumeEdit::Open(const std::string& path, std::string* why) {
  KeptMessage kept;
  if (image_.Open(path, kept) != ChangeOpen::Ready) {
    *why = kept.Text();
    return false;
  }
  std::vector<FatFinding> faults;
  if (!FatWriter::Open(image_.Sectors(), &faults)) {
    std::vector<uint8_t> unchanged = image_.Sectors();
    ChangeVolume(unchanged, path, kept, [](FatWriter&) { return kChangeDone; });
    *why = kept.Text();
    image_.Release();
    return false;
  }
  sectors_ = image_.TakeSectors();
  volume_ = FatVolume::Read(DiskSectors{sectors_, {}});
  return true;
}

std::string VolumeEdit::PathOf(int entry) const { return entry < 0 ? std::string() : volume_->Entries()[entry].path; }

bool VolumeEdit::Change(int folder, IMessageBoxes& boxes,
                        const std::function<int(FatWriter&, FatWriter::Folder)>& change) {
  std::vector<uint8_t> changed = sectors_;
  const int status = ChangeVolume(changed, image_.Path(), boxes, [&](FatWriter& writer) {
    FatWriter::Folder into = FatWriter::kRoot;
    if (const FatChange found = writer.FindFolder(PathOf(folder), &into); found != FatChange::Done) {
      ShowChangeRefused(boxes, found, PathOf(folder));
      return StatusOf(found);
    }
    return change(writer, into);
  });
  if (status != kChangeDone) return false;
  sectors_ = std::move(changed);
  volume_ = FatVolume::Read(DiskSectors{sectors_, {}});
  unsaved_ = true;
  return true;
}

bool VolumeEdit::Add(int folder, const std::vector<std::string>& paths, IMessageBoxes& boxes) {
  const HostTree tree = GatherHostTree(paths);
  if (SayTreeProblems(boxes, tree) != kChangeDone) return false;
  return Change(folder, boxes, [&](FatWriter& writer, FatWriter::Folder into) {
    return SayTreeRefusals(boxes, tree, AddHostTree(writer, into, tree, false), PathOf(folder));
  });
}

bool VolumeEdit::MakeFolder(int folder, const std::string& name, const LocalTime& now, IMessageBoxes& boxes) {
  if (const NameFault fault = CheckLongName(name); fault != NameFault::None) {
    ShowError(boxes, kTextChangeBadName, {name, NameFaultText(fault)});
    return false;
  }
  return Change(folder, boxes, [&](FatWriter& writer, FatWriter::Folder into) {
    FatWriter::Folder made = FatWriter::kRoot;
    const FatChange change = writer.MakeFolder(into, name, now, &made);
    ShowChangeRefused(boxes, change, PathOf(folder) + name, true);
    return StatusOf(change);
  });
}

bool VolumeEdit::Delete(const std::vector<int>& entries, IMessageBoxes& boxes) {
  return Change(-1, boxes, [&](FatWriter& writer, FatWriter::Folder) {
    int status = kChangeDone;
    for (int entry : entries) {
      const FatChange change = writer.Remove(PathOf(entry));
      ShowChangeRefused(boxes, change, PathOf(entry));
      status = std::max(status, StatusOf(change));
    }
    return status;
  });
}

int VolumeEdit::Save(const ImageWriteOptions& options, IMessageBoxes& boxes) {
  if (image_.Save(sectors_, options, boxes) != 0) return -1;
  unsaved_ = false;
  return 0;
}

std::vector<NewImageFormat> NewImageFormats() {
  std::vector<NewImageFormat> formats;
  for (const FloppyFormat& format : FloppyFormats()) {
    const FloppyGeometry geometry{format.tracks, format.sectorsPerTrack};
    const int kb = geometry.SizeKb();
    std::string name = std::to_string(kb) + " KB";
    if (kb >= 1000) {
      std::string fraction = std::to_string(kb % 1000 + 1000).substr(1);
      fraction.erase(fraction.find_last_not_of('0') + 1);
      name = std::to_string(kb / 1000) + (fraction.empty() ? "" : "." + fraction) + " MB";
    }
    formats.push_back({geometry, name});
  }
  return formats;
}

int MakeBlankImage(const std::string& path, const FloppyGeometry& geometry, const std::string& label,
                   const ImageWriteOptions& options, IMessageBoxes& boxes) {
  ImageChange image;
  if (image.New(path, geometry, true, boxes) != ChangeOpen::Ready) return kChangeRefused;
  std::vector<uint8_t> volume = image.TakeSectors();
  const int status = ChangeVolume(volume, path, boxes, [&](FatWriter& writer) {
    const FatChange change = label.empty() ? FatChange::Done : writer.SetLabel(label, LocalTimeNow());
    if (change == FatChange::BadName) {
      ShowError(boxes, kTextChangeBadLabel, {label});
    } else {
      ShowChangeRefused(boxes, change, label);
    }
    return StatusOf(change);
  });
  if (status != kChangeDone) return status;
  return image.Save(std::move(volume), options, boxes) == 0 ? kChangeDone : kChangeRefused;
}
