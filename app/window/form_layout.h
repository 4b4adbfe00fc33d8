// The main window frmMain as plain data, shared by the Qt and Win32 windows.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "run/kinds.h"

namespace mirelda::form {

/// What a control is; each window maps it onto its toolkit's widget.
enum class Kind { kButton, kTextBox, kLabel, kCheckBox, kProgressBar };

/// Where a control sits, in twips from the client area's top-left corner, or in pixels.
struct Twips {
  int left;
  int top;
  int width;
  int height;
};

/// How a control follows the window's edges when the window is larger than its smallest size;
/// the others keep their place.
enum Anchor : unsigned {
  kStays = 0,
  kWidens = 1,         ///< its right edge follows the window's
  kHeightens = 2,      ///< its bottom edge follows the window's
  kFollowsRight = 4,   ///< it moves with the window's right edge
  kFollowsBottom = 8,  ///< it moves with the window's bottom edge
};

/// One control of the window, as it is when the window opens.
struct Control {
  std::string_view name;     ///< the control's name, e.g. "cmdStart"; "Label1" for both labels
  int index;                 ///< index in a control array (the labels), -1 for a lone control
  Kind kind;                 ///< what it is
  std::string_view caption;  ///< button and label caption, check box text; "" for text boxes
  Twips rect;                ///< position and size
  bool ticked;               ///< a check box's initial state; false for every other control
  int data_kind = -1;        ///< for a check box, the place in kDataKinds of the kind it ticks
  unsigned anchor = kStays;  ///< how it follows a larger window
};

/// Twips per logical pixel: the windows are laid out at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

/// The client area at its smallest, in twips: 537 × 160 logical pixels.
inline constexpr int kClientWidth = 8055;
inline constexpr int kClientHeight = 2400;

/// Twips => logical pixels. 8055 => 537.
constexpr int ToPixels(int twips) { return twips / kTwipsPerPixel; }

/// The log box's font, with its size in points. The face is Windows' Japanese monospace font;
/// a window on a system without it falls back to a Japanese monospace font of its own.
inline constexpr char kLogFontFace[] = "ＭＳ ゴシック";
inline constexpr int kLogFontPoints = 9;

/// The check box `name` that ticks the kind named `option`, placed at `rect`; its initial tick
/// comes from the table of kinds. A kind that the table does not have does not compile.
consteval Control CheckBox(std::string_view name, std::string_view option, std::string_view caption,
                           Twips rect) {
  const std::size_t kind = KindIndex(option);
  return {
      name, -1, Kind::kCheckBox, caption, rect, kDataKinds[kind].ticked, static_cast<int>(kind)};
}

/// Every control, in tab order, which runs top to bottom and left to right: the folders and
/// ticks on the left, then the log and the buttons on the right. The log box takes whatever
/// room a larger window gives; the progress bar and the buttons stay below it, at its right.
inline constexpr Control kControls[] = {
    {"Label1", 0, Kind::kLabel, "かちゅ～しゃのパス", {120, 120, 1470, 180}, false},
    {"txtKatju", -1, Kind::kTextBox, "", {120, 360, 3495, 270}, false},
    {"cmdKatju", -1, Kind::kButton, "...", {3720, 360, 270, 270}, false},
    {"Label1", 1, Kind::kLabel, "Live2chのパス", {120, 720, 1110, 180}, false},
    {"txtLive", -1, Kind::kTextBox, "", {120, 960, 3495, 270}, false},
    {"cmdLive", -1, Kind::kButton, "...", {3720, 960, 270, 270}, false},
    CheckBox("chkFav", "fav", "お気に入り", {120, 1320, 1455, 255}),
    CheckBox("chkBrd", "brd", "板ボタン", {1800, 1320, 1455, 255}),
    CheckBox("chkFtd", "ftd", "スレッド倉庫", {120, 1560, 1335, 255}),
    CheckBox("chkNameMail", "namemail", "名前、メールリスト", {1800, 1560, 1935, 255}),
    CheckBox("chkMyboard", "myboard", "other.brd（myboard.brdに変換します）",
             {120, 1800, 3135, 255}),
    CheckBox("chkAllIdx", "allidx", "全てのidx（素人にはおすすめしない）", {120, 2040, 3135, 255}),
    {"txtState", -1, Kind::kTextBox, "", {4080, 120, 3855, 1650}, false, -1, kWidens | kHeightens},
    {"prgRun",
     -1,
     Kind::kProgressBar,
     "",
     {4080, 1785, 3855, 105},
     false,
     -1,
     kWidens | kFollowsBottom},
    {"cmdPreview",
     -1,
     Kind::kButton,
     "確認(&D)",
     {4080, 1920, 1110, 375},
     false,
     -1,
     kFollowsRight | kFollowsBottom},
    {"cmdUndo",
     -1,
     Kind::kButton,
     "元に戻す(&U)",
     {5265, 1920, 1140, 375},
     false,
     -1,
     kFollowsRight | kFollowsBottom},
    {"cmdStart",
     -1,
     Kind::kButton,
     "変換開始(&S)",
     {6480, 1920, 1455, 375},
     false,
     -1,
     kFollowsRight | kFollowsBottom},
};

/// `rect`, in twips or pixels, moved and stretched as `control` follows a client area that is
/// `extra_width` and `extra_height` larger than the smallest, in the same unit.
constexpr Twips Placed(const Control& control, Twips rect, int extra_width, int extra_height) {
  if (control.anchor & kWidens) rect.width += extra_width;
  if (control.anchor & kHeightens) rect.height += extra_height;
  if (control.anchor & kFollowsRight) rect.left += extra_width;
  if (control.anchor & kFollowsBottom) rect.top += extra_height;
  return rect;
}

/// Whether a run locks the control until it returns: the folder boxes, their "..." buttons and
/// the check boxes, whose values the run has taken when it starts.
constexpr bool LockedDuringRun(const Control& control) {
  return control.kind == Kind::kCheckBox || control.name == "txtKatju" ||
         control.name == "cmdKatju" || control.name == "txtLive" || control.name == "cmdLive";
}

/// A name that tells every control apart, for toolkits that name controls one by one: the
/// control's name, with "_" and the index for a member of a control array.
/// "cmdStart" => "cmdStart"; Label1 index 0 => "Label1_0".
inline std::string UniqueName(const Control& control) {
  std::string name(control.name);
  if (control.index >= 0) name.append("_").append(std::to_string(control.index));
  return name;
}

/// The check box that ticks the kind at `kind` in kDataKinds.
constexpr const Control& CheckBoxOf(std::size_t kind) {
  for (const Control& control : kControls) {
    if (control.data_kind == static_cast<int>(kind)) return control;
  }
  throw std::out_of_range("no check box ticks this kind");
}

// Each kind can be ticked in the window, by exactly one check box.
consteval bool EachKindHasOneCheckBox() {
  for (std::size_t kind = 0; kind < std::size(kDataKinds); ++kind) {
    int boxes = 0;
    for (const Control& control : kControls) boxes += control.data_kind == static_cast<int>(kind);
    if (boxes != 1) return false;
  }
  return true;
}
static_assert(EachKindHasOneCheckBox());

}  // namespace mirelda::form
