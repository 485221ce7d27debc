#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace kadu2217 {

// Style codes are summed as in the old MsgBox: one button set, one icon and
// optionally a default-button choice.
namespace MsgBoxStyle {
constexpr int OkOnly = 0;
constexpr int OkCancel = 1;
constexpr int AbortRetryIgnore = 2;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int RetryCancel = 5;
constexpr int Critical = 16;
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int DefaultButton1 = 0;
constexpr int DefaultButton2 = 256;
constexpr int DefaultButton3 = 512;
} // namespace MsgBoxStyle

namespace MsgBoxAnswer {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Abort = 3;
constexpr int Retry = 4;
constexpr int Ignore = 5;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace MsgBoxAnswer

using MessageBoxHandler =
    std::function<int(const QString &title, const QString &text, int style)>;

// Every message of the module goes through here. Shows a modal QMessageBox
// unless a handler is installed, and answers with the old answer codes.
// `captions`, when given, replace the buttons' texts in order (the answers stay
// the style's own).
int messageBox(const QString &text, int style, const QString &title, QWidget *parent = nullptr,
               const QStringList &captions = {});

// Tests install a handler that records and answers; an empty function brings
// back the real message box.
void setMessageBoxHandler(MessageBoxHandler handler);

} // namespace kadu2217
