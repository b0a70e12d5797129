#pragma once

#include <QString>

class QWidget;

namespace tw::platform {

// The program's message boxes (title "Tauschwerk", German buttons); tests answer them by script.
class MessageBox
{
public:
    enum class Icon
    {
        None,
        Information,
        Warning,
        Critical,
    };

    virtual ~MessageBox() = default;
    virtual void show(QWidget* parent, const QString& text, Icon icon = Icon::None) = 0;
    // A message under a title of its own instead of the program's name.
    virtual void showTitled(QWidget* parent, const QString& title, const QString& text, Icon icon)
    {
        Q_UNUSED(title);
        show(parent, text, icon);
    }
    // Yes and No; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text) = 0;
};

class QtMessageBox : public MessageBox
{
public:
    void show(QWidget* parent, const QString& text, Icon icon) override;
    void showTitled(QWidget* parent, const QString& title, const QString& text, Icon icon) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
};

} // namespace tw::platform
