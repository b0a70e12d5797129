#pragma once

#include <QComboBox>
#include <functional>

namespace tw::stack {

// The drive list: a combo box that lets its owner re-read the volumes before it opens, so that a
// volume mounted since then is offered.
class Laufwerksliste : public QComboBox
{
    Q_OBJECT

public:
    explicit Laufwerksliste(QWidget* parent = nullptr);

    std::function<void()> vorDemOeffnen;

    void showPopup() override;
};

} // namespace tw::stack
