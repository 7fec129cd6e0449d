// SPDX-License-Identifier: MIT
#include "ui/help_texts.h"

#include "report/report_header.h"

namespace mezu {
namespace {

constexpr char kLineBreak = '\r';

}  // namespace

std::string descriptionText()
{
    return "ディレクトリ配下全てのファイル容量を算出します。クラスタサイズを考慮し正確に計算しています。"
           "算出値はエクスプローラーと同じですが、複数ある場合は大変ですので、このツールの使用をお勧めします。";
}

std::string authorText()
{
    std::string text = "作者紹介：";
    text += kLineBreak;
    text += "mezu 開発チーム";
    text += kLineBreak;
    text += "ディスクの使用量を正確に、手早く調べる道具を作っている小さなチームです。";
    text += kLineBreak;
    text += "不具合やご要望は、プロジェクトの課題管理までお寄せください。";
    return text;
}

std::string environmentText()
{
    std::string text = "開発環境：";
    text += kLineBreak;
    text +=
        "C++20 (GCC 12)、CMake と Ninja、Qt 6 Widgets、GoogleTest と Qt Test ― Debian 12 上で開発・テストしています。";
    return text;
}

std::string versionText()
{
    std::string text = "MEZU.EXE";
    text += "      Ver ";
    text += kVersionText;
    text += kLineBreak;
    text += kLineBreak;
    text += "最終更新日:";
    text += kVersionDateText;
    return text;
}

}  // namespace mezu
