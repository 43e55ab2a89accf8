#pragma once

// The application's title and the message boxes' styles and answers, alike in every toolkit
// (MessageBoxW's own MB_ flags and ID answers).
namespace kelvanter {

// The main window's caption, and the title of a box given none.
inline constexpr const char* kApplicationTitle = "Kelvanter";

inline constexpr int kStyleOkOnly = 0;
inline constexpr int kStyleError = 16;
inline constexpr int kStyleQuestion = 36;
inline constexpr int kStyleWarning = 48;
// Yes and No with the warning icon, No the default button.
inline constexpr int kStyleWarningQuestion = 308;
// Yes and No with the question icon, No the default button.
inline constexpr int kStyleQuestionNoDefault = 292;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
inline constexpr int kAnswerOk = 1;

// Whether a style asks Yes or No, whatever its icon and default button.
inline bool asksYesOrNo(int style) {
    return (style & 0x0F) == (kStyleQuestion & 0x0F);
}

} // namespace kelvanter
