// SPDX-License-Identifier: MIT
// The texts of the help menu's four boxes. A carriage return (character 13) separates lines.
#pragma once

#include <string>

namespace mezu {

std::string descriptionText();  // プログラムの説明
std::string authorText();       // 作者紹介
std::string environmentText();  // 開発環境
std::string versionText();      // プログラムのバージョン

}  // namespace mezu
