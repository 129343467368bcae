#include "cli/HelpTexts.h"

#include "app/CommandLine.h"
#include "base/Texts.h"
#include "floppy/virtual/VirtualFloppyTool.h"

HelpLanguage HelpLanguageOf(const EnvironmentLookup& environment) {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    std::optional<std::string> value = environment(variable);
    if (!value || value->empty()) continue;
    return value->starts_with("zh") ? HelpLanguage::Chinese : HelpLanguage::English;
  }
  return HelpLanguage::English;
}

DiskelleHelpTexts DiskelleHelp(HelpLanguage language) {
  if (language == HelpLanguage::Chinese) {
    std::vector<std::string> switches = CommandLineHelpLines();
    switches.erase(switches.begin());  // the usage line, which names the program here
    return {kTextHelpUsageNamed,
            switches,
            {kTextHelpResume, kTextHelpDrives, kTextHelpVersion},
            kTextHelpFormsGroup,
            true,
            kTextHelpFormReadOnly,
            {{kTextHelpSettingsGroup, {kTextHelpListSettings, kTextHelpSetSetting, kTextHelpAssociate,
                                       kTextHelpUnassociate}},
             {kTextHelpFilesGroup, {kTextHelpFiles, kTextHelpExtract}},
             {kTextHelpChangeGroup, {kTextHelpNewImage, kTextHelpAdd, kTextHelpMakeFolder, kTextHelpDelete, kTextHelpLabel}},
             {kTextHelpEnvironment, {kTextHelpEnvironmentDrives, kTextHelpEnvironmentDelay,
                                     kTextHelpEnvironmentRegistry, kTextHelpEnvironmentCodePage,
                                     kTextHelpEnvironmentSfx, kTextHelpEnvironmentLanguage}},
             {kTextHelpExitStatus, {kTextHelpExitDone, kTextHelpExitFailed, kTextHelpExitUnusable}}}};
  }
  return {
      "%s /i <input> | /o <output> [switches]",
      {"/i <input>  the image file to use as input",
       "/o <output>  the image file to use as output",
       "/d <description>  add a description to the output file",
       "/w  write the input file to the floppy disk",
       "/r  read the floppy disk and save it to the output file",
       "/t  check the integrity of the input file",
       "/c  convert the input file to the output file",
       "/b  use floppy drive B: instead of A:",
       "/s  show no confirmation messages",
       "/f  format the floppy disk before writing to it",
       "/v  do not verify writing to the floppy disk",
       "An image file is saved compressed when its extension is IMZ, uncompressed when it is IMG, and as a "
       "self-extracting image when it is EXE. A self-extracting image takes the switch \"/b\" too. The program's "
       "messages are in Chinese."},
      {"--resume  with /r: emergency reading into an existing image, reading again only the sectors that are "
       "still bad in its map (<image>.map); with /c: taking into an existing image only the sectors its map "
       "still calls bad from the input (such as another flux capture of the same disk)",
       "--drives  list the floppy drives that can be found (drives on the floppy controller, and USB floppy "
       "drives with a disk in them)",
       "--version, -V  show the program's name and version"},
      "Image forms (chosen by the extension):",
      false,
      "%s, read only",
      {{"Settings and file associations:",
        {"--settings  list every setting with its current and its default value",
         "--set <name>=<value>  change a setting (the self-extractor's settings begin with Self-Exe.)",
         "--associate  associate .img and .imz files with this program (a double click in the desktop's file "
         "manager shows the image's information)",
         "--unassociate  remove the association of .img and .imz files with this program"}},
       {"Files on a disk:",
        {"--files <image>  list the files and folders on the image's disk, and which files bad sectors damaged "
         "(ok, damaged bad/sectors, unknown)",
         "--extract [--force] <image> <folder> [path...]  write the files (all or the ones named) with their "
         "times into the folder; damaged files too (with marker blocks); existing files are kept unless --force"}},
       {"Changing the files on a disk (nothing is saved unless the whole change is done):",
        {"--new <image> [--format 360|720|800|1200|1440|1680] [--label <text>] [--force] [<folder>]  make an image "
         "of a blank disk as this program formats one (1440 by default), holding the files and folders of the "
         "folder; an existing file is replaced only with --force",
         "--add [--force] <image> <file|folder>... [--to <folder on the disk>]  put files, and folders with "
         "everything in them, on the image's disk with their times; an existing file is replaced only with "
         "--force, a folder never",
         "--mkdir <image> <path>...  make folders on the disk (and the folders above them as needed)",
         "--delete <image> <path>...  remove files, and folders with everything in them, from the disk",
         "--label <image> <text>  set the disk's volume label (an empty text removes it)"}},
       {"Environment variables:",
        {"$DISKELLE_DRIVE_A, $DISKELLE_DRIVE_B  a virtual floppy file that replaces floppy drive A: or B: "
         "(default: /dev/fd0, /dev/fd1); a block device (such as the USB floppy drive /dev/sdb) is used as that "
         "drive",
         "$DISKELLE_DRIVE_DELAY_MS  the milliseconds each read, write and format request of a virtual floppy "
         "waits (1 to 10000)",
         "$DISKELLE_REGISTRY  the settings file (default: $XDG_CONFIG_HOME/diskelle/registry.reg or "
         "~/.config/diskelle/registry.reg)",
         "$DISKELLE_CODEPAGE  the encoding of the descriptions in image files (default: GBK)",
         "$DISKELLE_SFX  the self-extractor that EXE images are made with (default: diskelle-sfx.exe beside the "
         "program, then diskelle-sfx.exe in ../share/diskelle/, where it is installed)",
         "$LC_ALL, $LC_MESSAGES, $LANG  the first one set decides the language of this help: Chinese for zh..., "
         "English otherwise"}},
       {"Exit status:",
        {"0  the requested operation was done", "1  the operation was refused, failed or was cancelled",
         "2  the command line was unusable, or an input or output path was refused"}}}};
}

std::string VfloppyHelp(HelpLanguage language) {
  return language == HelpLanguage::Chinese ? kTextVfloppyUsage : VirtualFloppyToolUsage();
}
