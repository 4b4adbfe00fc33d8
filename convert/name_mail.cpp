// The name and mail lists: namelist.txt and maillist.txt are copied as they are.
#include "convert/name_mail.h"

#include "convert/record_list.h"

namespace mirelda {

void ConvertNameMailLists(Context& cx) {
  for (const char* name : {"namelist.txt", "maillist.txt"}) {
    // A list that cannot be read must not wipe the one Live2ch has; an empty one is copied.
    const std::string from = cx.katjusha_folder() + name;
    std::string bytes;
    if (const std::error_code error = cx.files().ReadFileBytes(from, bytes)) {
      cx.ReportReadFailure(from, error);
      continue;
    }
    // Line by line, and a giant line part by part, so that the list is never held whole as text;
    // lines rather than parts, as every byte that is not CP932 costs iconv a pass over the text
    // it has taken in.
    OutputFile output(cx, cx.live2ch_folder() + name);
    for (std::string_view rest = bytes, line; TakeLine(rest, line);) {
      while (!line.empty()) output.Write(cx.files().DecodeFront(line, kRecordPart));
    }
    output.Finish();
  }
}

}  // namespace mirelda
