#pragma once

#include "base/globals.h"

#include <QColor>
#include <QFrame>

class QLabel;
class QLineEdit;
class QScrollArea;

// The facts of the selected queued file, as the skin places them: Label7 to
// Label26 and EditBox1 to EditBox16 lie inside this panel. Label26 is the
// "More Information..." link. They lie on a sheet that scrolls when the panel
// is made shorter than they need, as on a small screen.
class TFactsPanel : public QFrame {
    Q_OBJECT

public:
    explicit TFactsPanel(QWidget* parent = nullptr);

    // The facts of a file, or the placeholder in every box for none.
    void ShowFacts(const TFileItem* facts);
    // The texts of the current language; the link drawn in linkColour.
    void ApplyTexts(const QColor& linkColour);
    // Widens each box up to the next column, or to the panel's edge, once
    // the skin has placed them.
    void FitBoxes();
    // The sheet's height, below which the panel scrolls.
    int ContentHeight() const;

    // Label7..Label26 as 7..26, EditBox1..16 as 1..16.
    QLabel* Label(int n) const { return m_labels[n - 7]; }
    QLineEdit* EditBox(int n) const { return m_boxes[n - 1]; }

Q_SIGNALS:
    void MoreInformation();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitSheet();
    void showFitting(QLineEdit* box);

    QScrollArea* m_scroll = nullptr;
    QWidget* m_sheet = nullptr;
    QLabel* m_labels[20] = {};
    QLineEdit* m_boxes[16] = {};
};
