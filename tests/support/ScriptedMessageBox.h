#pragma once

#include "platform/MessageBox.h"

#include <QList>
#include <QQueue>
#include <QString>

namespace tw::test {

// Records every message the program shows and answers its Yes/No questions from a script. A question
// that the test did not script fails the test and is answered No.
class ScriptedMessageBox : public platform::MessageBox
{
public:
    struct Shown
    {
        QString text;
        Icon icon = Icon::None;
        bool question = false;
    };

    void show(QWidget* parent, const QString& text, Icon icon) override;
    bool askYesNo(QWidget* parent, const QString& text) override;

    void answerYes() { m_answers.enqueue(true); }
    void answerNo() { m_answers.enqueue(false); }

    const QList<Shown>& shown() const { return m_shown; }
    QStringList texts() const;
    void clear() { m_shown.clear(); }

private:
    QList<Shown> m_shown;
    QQueue<bool> m_answers;
};

} // namespace tw::test
