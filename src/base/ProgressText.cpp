#include "base/ProgressText.h"

#include "base/Format.h"
#include "base/Texts.h"

ProgressTexts DescribeProgress(JobEvent event, const OperationProgress& progress) {
  ProgressTexts texts;
  texts.percent = progress.percent.load();
  std::string total = progress.totalText.Get();
  std::string speed = progress.speedText.Get();
  unsigned kbDone = progress.kbDone.load();
  texts.caption = FormatText(kTextProgressCaption, {static_cast<int>(texts.percent)});
  if (event.job == JobKind::Decode) {
    texts.status = FormatText(kTextDecodingCapture, {total});
    texts.speed = speed;
  } else if (event.step == JobStep::SideFormatted) {
    texts.status = FormatText(kTextFormattingFloppy, {total});
    texts.speed = FormatText(kTextKbFormatted, {kbDone, speed});
  } else {
    int status = event.job == JobKind::Write ? kTextWritingFloppy : kTextReadingFloppy;
    texts.status = FormatText(TextOf(status), {total});
    texts.speed = FormatText(TextOf(kTextKbCopied), {kbDone, speed});
  }
  return texts;
}
