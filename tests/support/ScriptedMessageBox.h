#pragma once

#include "platform/MessageBox.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <gtest/gtest.h>

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

    void show(QWidget*, const QString& text, Icon icon) override { m_shown.append(Shown{text, icon, false}); }
    bool askYesNo(QWidget*, const QString& text) override
    {
        m_shown.append(Shown{text, Icon::None, true});
        if (m_answers.isEmpty()) {
            ADD_FAILURE() << "unscripted question: " << text.toStdString();
            return false;
        }
        return m_answers.dequeue();
    }

    void answerYes() { m_answers.enqueue(true); }
    void answerNo() { m_answers.enqueue(false); }
    const QList<Shown>& shown() const { return m_shown; }
    QStringList texts() const
    {
        QStringList all;
        for (const Shown& s : m_shown)
            all.append(s.text);
        return all;
    }
    void clear() { m_shown.clear(); }

private:
    QList<Shown> m_shown;
    QQueue<bool> m_answers;
};

} // namespace tw::test
