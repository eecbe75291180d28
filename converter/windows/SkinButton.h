#pragma once

#include "base/SkinFile.h"
#include "windows/SkinImage.h"

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QPointer>
#include <QRect>
#include <QString>

#include <array>

class QAction;

// A picture button with one picture per state. Its caption is drawn over the
// picture, or under the picture's area when it starts with line breaks (the
// toolbar's format buttons).
class TSkinButton : public QAbstractButton {
    Q_OBJECT
    // Caption colours, for the skin's style sheet to set.
    Q_PROPERTY(QColor captionColor MEMBER m_captionColor)
    Q_PROPERTY(QColor captionHoverColor MEMBER m_captionHoverColor)
    Q_PROPERTY(QColor captionDisabledColor MEMBER m_captionDisabledColor)
    Q_PROPERTY(QColor focusColor MEMBER m_focusColor)
    // A disabled format button marks the current format rather than an
    // unavailable command; the style sheet keeps its caption bright.
    Q_PROPERTY(bool marksCurrent READ MarksCurrent WRITE SetMarksCurrent)

public:
    enum class State { Normal, MouseOn, MouseDown, Disable };

    explicit TSkinButton(QWidget* parent = nullptr);
    ~TSkinButton() override;

    void SetPictures(const TSkinButtonPictures& pictures);
    TSkinButtonPictures Pictures() const;
    void SetCaptionShown(bool shown);
    bool CaptionShown() const { return m_captionShown; }
    bool MarksCurrent() const { return m_marksCurrent; }
    void SetMarksCurrent(bool marks);

    // The button follows the action's text, tool tip, enabled state and
    // visibility, and a click triggers it. Visibility follows only changes of
    // the action's own, so a button the window hid stays hidden while the
    // action changes otherwise.
    void BindAction(QAction* action);
    QAction* BoundAction() const { return m_action; }

    State CurrentState() const;
    QSize sizeHint() const override;
    // Whether the caption is drawn whole: not cut short and within the
    // button, at the font it is shrunk to.
    bool CaptionFits() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct CaptionLayout {
        QString text;  // as drawn
        QFont font;
        QRect area;
        int flags = 0;
        bool whole = true;
    };
    CaptionLayout layCaption(State state) const;
    void syncFromAction();
    void paintCaption(QPainter& painter, State state);

    std::array<TSkinPicture, 4> m_pictures;
    bool m_captionShown = true;
    bool m_marksCurrent = false;
    QPointer<QAction> m_action;
    bool m_actionVisible = true;
    QMetaObject::Connection m_actionChanged;
    QMetaObject::Connection m_clickTriggers;
    QColor m_captionColor;
    QColor m_captionHoverColor;
    QColor m_captionDisabledColor;
    QColor m_focusColor;
};
