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
    // A part at a time, so that the list is never held whole as text.
    OutputFile output(cx, cx.live2ch_folder() + name);
    for (std::string_view rest = bytes; !rest.empty();) {
      output.Write(cx.files().DecodeFront(rest, kRecordPart));
    }
    output.Finish();
  }
}

}  // namespace mirelda
