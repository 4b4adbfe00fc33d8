// The kinds of data that a run converts: one table that the run, the command line and the
// windows all take them from.
#pragma once

#include <bitset>
#include <iterator>
#include <string_view>

#include "app/messages.h"
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
  MessageId summary;           ///< what it converts, as mirelda-cli's usage shows it
  std::string_view check_box;  ///< the name of the window's check box that ticks it
  std::string_view caption;    ///< that check box's caption
  bool ticked;                 ///< converted unless the user says otherwise
  void (*convert)(Context& cx);
};

/// Every kind, in the order in which a run converts them.
inline constexpr DataKind kDataKinds[] = {
    {"fav", MessageId::kKindFavourites, "chkFav", "お気に入り", true, ConvertFavourites},
    {"brd", MessageId::kKindBoardButtons, "chkBrd", "板ボタン", true, ConvertBoardButtons},
    {"ftd", MessageId::kKindWarehouses, "chkFtd", "スレッド倉庫", true, ConvertWarehouses},
    {"namemail", MessageId::kKindNameMailLists, "chkNameMail", "名前、メールリスト", true,
     ConvertNameMailLists},
    {"myboard", MessageId::kKindMyBoard, "chkMyboard", "other.brd（myboard.brdに変換します）", true,
     ConvertMyBoard},
    {"allidx", MessageId::kKindAllIndexes, "chkAllIdx", "全てのidx（素人にはおすすめしない）",
     false, ConvertAllIndexes},
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
