#include "controls/messagebox.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QList>
#include <QMessageBox>

#include <algorithm>
#include <utility>

namespace kadu2217 {

namespace {

MessageBoxHandler &installedHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

struct ButtonChoice
{
    QMessageBox::StandardButton button;
    int answer;
};

QList<ButtonChoice> buttonsForStyle(int style)
{
    switch (style & 0x0F) {
    case MsgBoxStyle::OkCancel:
        return {{QMessageBox::Ok, MsgBoxAnswer::Ok}, {QMessageBox::Cancel, MsgBoxAnswer::Cancel}};
    case MsgBoxStyle::AbortRetryIgnore:
        return {{QMessageBox::Abort, MsgBoxAnswer::Abort},
                {QMessageBox::Retry, MsgBoxAnswer::Retry},
                {QMessageBox::Ignore, MsgBoxAnswer::Ignore}};
    case MsgBoxStyle::YesNoCancel:
        return {{QMessageBox::Yes, MsgBoxAnswer::Yes},
                {QMessageBox::No, MsgBoxAnswer::No},
                {QMessageBox::Cancel, MsgBoxAnswer::Cancel}};
    case MsgBoxStyle::YesNo:
        return {{QMessageBox::Yes, MsgBoxAnswer::Yes}, {QMessageBox::No, MsgBoxAnswer::No}};
    case MsgBoxStyle::RetryCancel:
        return {{QMessageBox::Retry, MsgBoxAnswer::Retry}, {QMessageBox::Cancel, MsgBoxAnswer::Cancel}};
    default:
        return {{QMessageBox::Ok, MsgBoxAnswer::Ok}};
    }
}

QMessageBox::Icon iconForStyle(int style)
{
    switch (style & 0x70) {
    case MsgBoxStyle::Critical: return QMessageBox::Critical;
    case MsgBoxStyle::Question: return QMessageBox::Question;
    case MsgBoxStyle::Exclamation: return QMessageBox::Warning;
    case MsgBoxStyle::Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int showQMessageBox(const QString &title, const QString &text, int style, QWidget *parent, const QStringList &captions)
{
    const QList<ButtonChoice> choices = buttonsForStyle(style);
    QMessageBox box(iconForStyle(style), title, text, QMessageBox::NoButton, parent);
    for (int i = 0; i < choices.size(); ++i) {
        QAbstractButton *button = box.addButton(choices[i].button);
        if (i < captions.size())
            button->setText(captions[i]);
    }

    const int defaultPosition = qMin(int((style & 0x300) >> 8), int(choices.size()) - 1);
    box.setDefaultButton(choices.at(defaultPosition).button);

    // Closing the box answers like its Cancel button; without one, the old
    // box could not be dismissed otherwise, so the single or last button stands in.
    const auto cancel = std::find_if(choices.cbegin(), choices.cend(), [](const ButtonChoice &c) {
        return c.answer == MsgBoxAnswer::Cancel;
    });
    const ButtonChoice escapeChoice = cancel != choices.cend() ? *cancel : choices.last();
    box.setEscapeButton(escapeChoice.button);

    box.exec();
    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    for (const ButtonChoice &choice : choices) {
        if (choice.button == pressed)
            return choice.answer;
    }
    return escapeChoice.answer;
}

} // namespace

int messageBox(const QString &text, int style, const QString &title, QWidget *parent, const QStringList &captions)
{
    // A copy, so that a handler may replace itself while it answers.
    if (const MessageBoxHandler handler = installedHandler())
        return handler(title, text, style);
    return showQMessageBox(title, text, style, parent, captions);
}

void setMessageBoxHandler(MessageBoxHandler handler)
{
    installedHandler() = std::move(handler);
}

} // namespace kadu2217
