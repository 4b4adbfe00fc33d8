// The kinds of data that a run converts: one table that the run, the command line and the
// windows all take them from.
#pragma once

#include <bitset>
#include <iterator>
#include <string_view>

#include "convert/all_indexes.h"
#include "convert/board_buttons.h"
#include "convert/favourites.h"
#include "convert/my_board.h"
#include "convert/name_mail.h"
#include "convert/warehouses.h"

namespace mirelda {

/// One kind of data, with everything that the front ends show of it.
struct DataKind {
  std::string_view option;     ///< its name in mirelda-cli's --kinds list
  std::string_view summary;    ///< what it converts, as mirelda-cli's usage shows it
  std::string_view check_box;  ///< the name of the window's check box that ticks it
  std::string_view caption;    ///< that check box's caption
  bool ticked;                 ///< converted unless the user says otherwise
  void (*convert)(Context& cx);
};

/// Every kind, in the order in which a run converts them.
inline constexpr DataKind kDataKinds[] = {
    {"fav", "favourites (favorite.idx => favorite.ftd)", "chkFav", "お気に入り", true,
     ConvertFavourites},
    {"brd", "board buttons (favboard.idx => favboard.fbd)", "chkBrd", "板ボタン", true,
     ConvertBoardButtons},
    {"ftd", "thread warehouses (*.idx => ftd/*.ftd)", "chkFtd", "スレッド倉庫", true,
     ConvertWarehouses},
    {"namemail", "name and mail lists (namelist.txt, maillist.txt)", "chkNameMail",
     "名前、メールリスト", true, ConvertNameMailLists},
    {"myboard", "external board list (other.brd => myboard.brd)", "chkMyboard",
     "other.brd（myboard.brdに変換します）", true, ConvertMyBoard},
    {"allidx", "every thread index of the log tree", "chkAllIdx",
     "全てのidx（素人にはおすすめしない）", false, ConvertAllIndexes},
};

/// A choice of kinds: bit i stands for kDataKinds[i].
using KindSet = std::bitset<std::size(kDataKinds)>;

/// The kinds that are converted when nothing else is said: all but every thread index.
inline KindSet DefaultKinds() {
  KindSet kinds;
  for (size_t i = 0; i < kinds.size(); ++i) kinds[i] = kDataKinds[i].ticked;
  return kinds;
}

}  // namespace mirelda
