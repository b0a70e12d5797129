#include "ScriptedMessageBox.h"

#include <gtest/gtest.h>

namespace tw::test {

void ScriptedMessageBox::show(QWidget*, const QString& text, Icon icon)
{
    m_shown.append(Shown{text, icon, false});
}

bool ScriptedMessageBox::askYesNo(QWidget*, const QString& text)
{
    m_shown.append(Shown{text, Icon::None, true});
    if (m_answers.isEmpty()) {
        ADD_FAILURE() << "unscripted question: " << text.toStdString();
        return false;
    }
    return m_answers.dequeue();
}

QStringList ScriptedMessageBox::texts() const
{
    QStringList all;
    for (const Shown& s : m_shown)
        all.append(s.text);
    return all;
}

} // namespace tw::test
