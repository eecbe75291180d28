#pragma once

#include "windows/EditorTables.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class TEditorSettings;
class TLadderBar;
class TVideoBitrateGroup;

// The settings of one video codec: bit rate, picture size, frame rate and
// aspect. Its controls are named after the page's tag (TrackBarVideoBitrateDivX).
class TVideoCodecPage : public QWidget {
    Q_OBJECT

public:
    TVideoCodecPage(const TVideoPageConfig& page, const TEditorConfig& editor, QWidget* parent);

    void ApplyTexts();
    void Load(const TEditorSettings& settings);
    void Save(TEditorSettings& settings) const;
    // The enable rules of the bit-rate, size and frame-rate groups.
    void ApplyRules();

private:
    QString key(const QString& stem) const { return stem + m_page.Suffix; }
    void buildSizeList(QGroupBox* group);
    void buildSizeRadios(QGroupBox* group);
    void applySizeRule();
    void sizeChosen(int entry);
    void sizeTyped();
    void raiseOdd(QSpinBox* field);

    TVideoPageConfig m_page;
    const TEditorConfig& m_editor;
    QLabel* m_header = nullptr;
    TVideoBitrateGroup* m_bitrate = nullptr;
    QGroupBox* m_sizeGroup = nullptr;
    QRadioButton* m_keepSize = nullptr;
    QRadioButton* m_changeSize = nullptr;
    QLabel* m_dimensions = nullptr;
    QComboBox* m_sizes = nullptr;
    QSpinBox* m_width = nullptr;
    QSpinBox* m_height = nullptr;
    QLabel* m_widthLabel = nullptr;
    QLabel* m_x = nullptr;
    QLabel* m_heightLabel = nullptr;
    QList<QRadioButton*> m_h263Sizes;  // H.263's fixed sizes instead of the list
    QGroupBox* m_rateGroup = nullptr;
    QRadioButton* m_keepRate = nullptr;
    QRadioButton* m_changeRate = nullptr;
    QComboBox* m_rates = nullptr;
    QGroupBox* m_aspectGroup = nullptr;
    QRadioButton* m_aspects[3] = {};
    bool m_syncingSize = false;
};

// The settings of one audio codec: channels, sample rate and, unless it is
// uncompressed, the bit rate. Controls are named after the page's tag.
class TAudioCodecPage : public QWidget {
    Q_OBJECT

public:
    TAudioCodecPage(const TAudioPageConfig& page, QWidget* parent);

    void ApplyTexts();
    void Load(const TEditorSettings& settings);
    void Save(TEditorSettings& settings) const;
    // The bit-rate enable rule and the range of the chosen sample rate.
    void ApplyRules();

private:
    QString key(const QString& stem) const { return stem + m_page.Suffix; }
    bool hasBitrate() const { return !m_page.Ladder.empty(); }
    bool sixChannels() const;
    void applyRange();
    void applyEnableRule();

    TAudioPageConfig m_page;
    QLabel* m_header = nullptr;
    QGroupBox* m_channelGroup = nullptr;
    QComboBox* m_channels = nullptr;
    QStackedWidget* m_rateStack = nullptr;  // AC3: the 48000 group over the list
    QGroupBox* m_rateGroup = nullptr;
    QComboBox* m_rates = nullptr;
    QGroupBox* m_sixChannelGroup = nullptr;
    QGroupBox* m_bitrateGroup = nullptr;
    QCheckBox* m_auto = nullptr;
    TLadderBar* m_bar = nullptr;
    QLabel* m_current = nullptr;
    QLabel* m_value = nullptr;
    QLabel* m_low = nullptr;
    QLabel* m_high = nullptr;
    QLabel* m_kbps = nullptr;
};

// Writes a list's position, or leaves the stored index as it was when
// nothing is selected.
void SaveListPosition(const QComboBox* list, TEditorSettings& settings, const QString& key);
