#pragma once

#include <QProgressBar>
#include <QStyleOptionProgressBar>

namespace brindle {

// A progress bar whose range may be empty (a directory without subscribers): Qt draws a range
// of 0 to 0 as a "busy" bar, moving all the time; this one draws it empty, as nothing to do.
class IdleProgressBar final : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

protected:
    void initStyleOption(QStyleOptionProgressBar* option) const override {
        QProgressBar::initStyleOption(option);
        if (option->minimum == option->maximum) option->maximum = option->minimum + 1;
    }
};

}  // namespace brindle
