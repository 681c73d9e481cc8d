#pragma once

#include <QFrame>

#include <memory>

class QHBoxLayout;
class QLabel;
class QPushButton;

// The blue top band: product title on the left, window buttons on the right.
class TitleBar : public QFrame
{
    Q_OBJECT

public:
    explicit TitleBar(QWidget *parent = nullptr);
    ~TitleBar() override;

    QPushButton *minimumButton() const { return minimumBtn; }
    QPushButton *maximumButton() const { return maximumBtn; }
    QPushButton *closeButton() const { return closeBtn; }
    QPushButton *userIconButton() const { return userIconBtn.get(); }
    QPushButton *loginButton() const { return loginBtn.get(); }

private:
    QHBoxLayout *titleLayout;
    QLabel *titleLabel;
    QHBoxLayout *buttonLayout;
    // The user icon, login state, settings and separator are built but not placed
    // in the bar; they have no parent, so the bar owns them here.
    std::unique_ptr<QPushButton> userIconBtn;
    std::unique_ptr<QPushButton> loginBtn;
    std::unique_ptr<QPushButton> setBtn;
    std::unique_ptr<QLabel> lineLabel;
    QPushButton *minimumBtn;
    QPushButton *maximumBtn;
    QPushButton *closeBtn;
};
