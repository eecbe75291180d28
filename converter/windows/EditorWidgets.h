#pragma once

#include "windows/EditorTables.h"

#include <QGroupBox>
#include <QSlider>
#include <QString>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

// A widget of the given type under parent, named as the tests and the
// language files know it.
template <class Widget>
Widget* Named(QWidget* parent, const QString& name)
{
    auto* widget = new Widget(parent);
    widget->setObjectName(name);
    return widget;
}

// A track bar over a bit-rate ladder: position p stands for the p-th value.
// The value label, when given, follows the position.
class TLadderBar : public QSlider {
    Q_OBJECT

public:
    TLadderBar(TLadder ladder, int maximum, QWidget* parent);

    void SetValueLabel(QLabel* label);
    // The position of the stored kbit/s: the last ladder position holding it,
    // else the fallback; never above the maximum. A rate the ladder lacks is
    // kept, shown and saved as it is until the position changes, so opening
    // and saving a profile never alters it.
    void Load(qint32 stored, int fallback);
    // The kbit/s of the position, or the kept rate.
    qint32 Kbps() const;
    TLadder Ladder() const { return m_ladder; }

private:
    void showValue();

    TLadder m_ladder;
    QLabel* m_valueLabel = nullptr;
    std::optional<qint32> m_kept;
};

// The video bit-rate group: a preset from the ladder, or a specified number
// entered through Configure. Control names follow the group's prefix and tag.
class TVideoBitrateGroup : public QGroupBox {
    Q_OBJECT

public:
    // Names the controls as a codec page does ("RadioButtonVideoPresert" +
    // tag...), or as the DVD page does when tag is empty.
    TVideoBitrateGroup(const QString& tag, TLadder ladder, int maximum, QWidget* parent);

    void ApplyTexts();
    void Load(bool usePreset, qint32 preset, qint32 specified, int fallback);
    bool UsePreset() const;
    qint32 Preset() const { return m_bar->Kbps(); }
    qint32 Specified() const;
    // Enables the preset or the specify controls, as the radios say.
    void ApplyEnableRule();

private:
    void configure();

    TLadderBar* m_bar = nullptr;
    QRadioButton* m_preset = nullptr;
    QRadioButton* m_specify = nullptr;
    QLabel* m_current = nullptr;
    QLabel* m_value = nullptr;
    QLabel* m_kbps2 = nullptr;
    QLabel* m_low = nullptr;
    QLabel* m_high = nullptr;
    QLabel* m_specified = nullptr;
    QLabel* m_kbps = nullptr;
    QPushButton* m_configure = nullptr;
};

// Runs an action each time the watched widget gains or loses the keyboard focus.
class TFocusWatch : public QObject {
public:
    TFocusWatch(QWidget* widget, std::function<void()> left, std::function<void()> entered = {});
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_left;
    std::function<void()> m_entered;
};

// A group box whose title is set by ApplyTexts of its owner.
QGroupBox* NamedGroup(QWidget* parent, const QString& name);
// A group box holding one widget.
QGroupBox* GroupAround(QWidget* parent, const QString& name, QWidget* content);
// A group box holding one list, both named; the list is handed back in list.
QGroupBox* ListGroup(QWidget* parent, const QString& name, const QString& listName,
                     QComboBox*& list);
