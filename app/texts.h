// The texts that every front end shows.
#pragma once

namespace mirelda {

/// The title of every message box.
inline constexpr char kAppTitle[] = "mirelda";

/// The program's version, as the caption shows it.
inline constexpr char kVersion[] = "1.00";

/// The window caption.
inline constexpr char kWindowCaption[] = "mirelda Ver1.00";

/// The start-up notice: five lines joined by CR LF, none after the last.
inline constexpr char kStartupNotice[] =
    "このコンバータを実行すると、Live2chの各種設定ファイル、\r\n"
    "ログファイルは全て無視し、かちゅ～しゃから変換したものに置き換えます\r\n"
    "Live2chを殆ど使っていない状態で実行するなら問題ありませんが、\r\n"
    "有る程度使ってあるなら万が一に備えバックアップしておく事をお奨めします\r\n"
    "かちゅ～しゃのファイルは読み込むだけですので、一切破壊される事はありません";

/// The first line of the log.
inline constexpr char kInstructionLine[] =
    "かちゅ～しゃとLive2chのパスを指定し、変換するものをチェックしたのち変換開始ボタンを押してく"
    "ださい";

/// The title of the folder picker.
inline constexpr char kPickerTitle[] = "ﾌｫﾙﾀﾞを選択してください";

}  // namespace mirelda
