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
#include "run/messages.h"

namespace mirelda {

/// One kind of data: how it is named and converted.
struct DataKind {
  std::string_view option;  ///< its name in mirelda-cli's --kinds list, which names it everywhere
  MessageId summary;        ///< what it converts, as mirelda-cli's usage shows it
  bool ticked;              ///< converted unless the user says otherwise
  void (*convert)(Context& cx);
};

/// Every kind, in the order in which a run converts them.
inline constexpr DataKind kDataKinds[] = {
    {"fav", MessageId::kKindFavourites, true, ConvertFavourites},
    {"brd", MessageId::kKindBoardButtons, true, ConvertBoardButtons},
    {"ftd", MessageId::kKindWarehouses, true, ConvertWarehouses},
    {"namemail", MessageId::kKindNameMailLists, true, ConvertNameMailLists},
    {"myboard", MessageId::kKindMyBoard, true, ConvertMyBoard},
    {"allidx", MessageId::kKindAllIndexes, false, ConvertAllIndexes},
};

/// A choice of kinds: bit i stands for kDataKinds[i].
using KindSet = std::bitset<std::size(kDataKinds)>;

/// The place in kDataKinds of the kind named `option`; a name that no kind has does not compile
/// where it is asked for at compile time. "fav" => 0.
consteval std::size_t KindIndex(std::string_view option) {
  for (std::size_t i = 0; i < std::size(kDataKinds); ++i) {
    if (kDataKinds[i].option == option) return i;
  }
  throw "no kind has this name";
}

/// The kinds that are converted when nothing else is said: all but every thread index.
inline KindSet DefaultKinds() {
  KindSet kinds;
  for (size_t i = 0; i < kinds.size(); ++i) kinds[i] = kDataKinds[i].ticked;
  return kinds;
}

}  // namespace mirelda
