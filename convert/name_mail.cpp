// The name and mail lists: namelist.txt and maillist.txt are copied as they are.
#include "convert/name_mail.h"

namespace mirelda {

void NameMailCnv(Context& cx) {
  for (const char* name : {"namelist.txt", "maillist.txt"}) {
    // A list that cannot be read must not wipe the one Live2ch has; an empty one is copied.
    const auto text = cx.files().ReadExistingTextFile(cx.KatjuFolder() + name);
    if (text) cx.WriteText(cx.LiveFolder() + name, *text);
  }
}

}  // namespace mirelda
