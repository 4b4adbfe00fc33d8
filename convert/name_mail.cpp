// The name and mail lists: namelist.txt and maillist.txt are copied as they are.
#include "convert/name_mail.h"

namespace mirelda {

void ConvertNameMailLists(Context& cx) {
  for (const char* name : {"namelist.txt", "maillist.txt"}) {
    // A list that cannot be read must not wipe the one Live2ch has; an empty one is copied.
    std::string text;
    if (!cx.files().ReadTextFile(cx.katjusha_folder() + name, text)) {
      cx.WriteText(cx.live2ch_folder() + name, text);
    }
  }
}

}  // namespace mirelda
