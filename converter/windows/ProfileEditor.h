#pragma once

#include "windows/EditorSettings.h"
#include "windows/EditorTables.h"

#include <QDialog>
#include <QHash>
#include <QList>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class TAudioCodecPage;
class TVideoCodecPage;

// The frame every profile editor shares: description, General page with the
// time control and the codec choice, a Video page and an Audio page holding
// one codec page per codec, Save and Close. An editor shows the settings
// record of its output format; only LoadFromSettings and SaveToSettings
// touch the record.
class TProfileEditor : public QDialog {
    Q_OBJECT

public:
    TProfileEditor(int format, QWidget* parent);

    // Sets every text from the message table, keeping the lists' choices.
    void ApplyTexts();
    void LoadFromSettings();
    void SaveToSettings();

    // The record as reached by this editor; tests read what was written.
    const TEditorSettings& Settings() const { return m_settings; }

protected:
    // Rows of the General page.
    enum GeneralRow { RowTime, RowType, RowVideoCodec, RowAudioCodec };

    void showEvent(QShowEvent* event) override;

    // What the format-specific editors add to the shared frame.
    virtual void applyOwnTexts() {}
    virtual void loadOwn(const TEditorSettings&) {}
    virtual void saveOwn(TEditorSettings&) const {}
    // The codec pages the lists choose, as positions in the format's page table.
    virtual int chosenVideoPage() const;
    virtual int chosenAudioPage() const;
    // A codec list changed by the user; before the page choice follows.
    virtual void codecChosen(QComboBox*) {}
    // Enables the audio choice and shows the Audio tab unless audio is off.
    virtual void applyAudioRule();
    // Every rule applied when the window is shown.
    virtual void applyRules();

    void applyPageChoice();
    // Re-applies the page choice when a list changes, after codecChosen.
    void followCodecList(QComboBox* list);
    // A group on the General page, in the given row and column, over as
    // many columns as asked (there are two).
    void placeOnGeneral(QWidget* widget, GeneralRow row, int column = 0, int columns = 1);
    void setTabShown(QWidget* tab, bool shown);
    bool loading() const { return m_loading; }

    const TEditorConfig& m_config;
    QTabWidget* m_pages = nullptr;
    QWidget* m_videoTab = nullptr;
    QWidget* m_audioTab = nullptr;
    QComboBox* m_videoCodec = nullptr;  // the shared lists, when the config has entries
    QComboBox* m_audioCodec = nullptr;
    QGroupBox* m_videoCodecGroup = nullptr;
    QGroupBox* m_audioCodecGroup = nullptr;
    QGroupBox* m_sameQualityGroup = nullptr;
    QGroupBox* m_disableAudioGroup = nullptr;
    QCheckBox* m_disableAudio = nullptr;

private:
    void buildTimeControl(QWidget* general);
    void buildCodecChoice();
    void applyFrameTexts();
    void applyTimeRule();
    void orderGeneralTabs();
    void save();
    // The leave rules of the three time fields.
    void leaveStart();
    void leaveEnd();
    void leaveDuration();

    TEditorSettings m_settings;
    QLabel* m_descriptionLabel = nullptr;
    QLineEdit* m_description = nullptr;
    QWidget* m_general = nullptr;
    QGridLayout* m_generalGrid = nullptr;
    QStackedWidget* m_videoStack = nullptr;
    QStackedWidget* m_audioStack = nullptr;
    QList<TVideoCodecPage*> m_videoPages;
    QList<TAudioCodecPage*> m_audioPages;
    QGroupBox* m_timeGroup = nullptr;
    QCheckBox* m_enableTime = nullptr;
    QLineEdit* m_start = nullptr;
    QLineEdit* m_end = nullptr;
    QLineEdit* m_duration = nullptr;
    QLabel* m_startLabel = nullptr;
    QLabel* m_endLabel = nullptr;
    QLabel* m_durationLabel = nullptr;
    QLabel* m_timeHint = nullptr;
    QHash<const QLineEdit*, QString> m_remembered;  // a time field's text when entered
    QCheckBox* m_sameQuality = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    bool m_loading = false;
    bool m_tabOrdered = false;
};

// Refills a list with the texts of the keys, keeping its choice.
void RefillList(QComboBox* list, std::initializer_list<MsgKey> texts);
void RefillList(QComboBox* list, const QList<TCodecEntry>& entries);
