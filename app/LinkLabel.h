// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QLabel>

#include <functional>

namespace lexfall {

// A label that acts as a link: pointing-hand pointer, runs onClick when clicked.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& text, QWidget* parent);
    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace lexfall
