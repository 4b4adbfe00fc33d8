// The texts that only the windows show.
#pragma once

#include "run/texts.h"

namespace mirelda {

/// The title of every message box.
inline constexpr char kAppTitle[] = "mirelda";

/// The window caption. "mirelda Ver1.00".
inline constexpr char kWindowCaption[] = "mirelda Ver" MIRELDA_VERSION;

/// The first line of the log.
inline constexpr char kInstructionLine[] =
    "かちゅ～しゃとLive2chのパスを指定し、変換するものをチェックしたのち変換開始ボタンを押してく"
    "ださい";

/// The title of the folder picker.
inline constexpr char kPickerTitle[] = "ﾌｫﾙﾀﾞを選択してください";

}  // namespace mirelda
