// The texts that every front end shows, and how they write a count.
#pragma once

#include <cstddef>
#include <string>

namespace mirelda {

/// The program's version, as the window's caption and mirelda-cli --version show it.
inline constexpr char kVersion[] = MIRELDA_VERSION;

/// The notice shown before anything else: five lines joined by CR LF, none after the last.
inline constexpr char kStartupNotice[] =
    "このコンバータを実行すると、Live2chの各種設定ファイル、\r\n"
    "ログファイルは全て無視し、かちゅ～しゃから変換したものに置き換えます\r\n"
    "置き換える前のファイルは、すべてLive2chのフォルダのmirelda-backupに保存されます\r\n"
    "変換は「元に戻す」（コマンドラインでは--restore）で取り消せます\r\n"
    "かちゅ～しゃのファイルは読み込むだけですので、一切破壊される事はありません";

/// The last line of a run that the user stopped, and its closing message.
inline constexpr char kStoppedLine[] = "変換を中止しました";

/// A count as the front ends show it, the thousands separated by ",". 20000 => "20,000".
inline std::string GroupedCount(std::size_t count) {
  const std::string digits = std::to_string(count);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

}  // namespace mirelda
