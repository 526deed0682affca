// The program's own texts (UTF-8), shared by the main window and the about box.
#pragma once

namespace pbx::app {

inline constexpr char kToolTitle[] = "PBX Unpacker";
inline constexpr char kVersionSuffix[] = " Ver0.10";
// Four spaces, an ideographic space (U+3000), one space.
inline constexpr char kCaptionBlanks[] = "    \u3000 ";
inline constexpr char kCredit[] = "(C) 2002 Tsukasa Mizuki";
inline constexpr char kVersionLabel[] = "Version 0.10";
inline constexpr char kWebAddress[] = "http://www.example.com/~mizuki/";
inline constexpr char kEmail[] = "(mizuki@example.com)";

// The design face, then the proportional Japanese Gothic that stands in for
// it on machines without it.
inline constexpr char kDesignFace[] = "ＭＳ Ｐゴシック";
inline constexpr char kFallbackFace[] = "IPAPGothic";

}  // namespace pbx::app
