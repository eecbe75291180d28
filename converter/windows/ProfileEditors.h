#pragma once

#include "windows/ProfileEditor.h"

#include "base/globals.h"

#include <memory>

class QButtonGroup;
class QStackedWidget;
class TLadderBar;
class TVideoBitrateGroup;

// The sixteen profile editors. Most are the shared frame configured by their
// format's table; MP4, 3GP, MPEG and AMR add behaviours of their own.

#define CLIPFORGE_PLAIN_EDITOR(Class, format)                                         \
    class Class : public TProfileEditor {                                             \
        Q_OBJECT                                                                      \
    public:                                                                           \
        explicit Class(QWidget* parent = nullptr) : TProfileEditor(format, parent) {} \
    };

CLIPFORGE_PLAIN_EDITOR(TfrmAVIProfile, ofAVI)
CLIPFORGE_PLAIN_EDITOR(TfrmMovProfile, ofMOV)
CLIPFORGE_PLAIN_EDITOR(TfrmWmvProfile, ofWMV)
CLIPFORGE_PLAIN_EDITOR(TfrmRMProfile, ofRM)
CLIPFORGE_PLAIN_EDITOR(TfrmSwfProfile, ofSWF)
CLIPFORGE_PLAIN_EDITOR(TfrmVobProfile, ofVOB)
CLIPFORGE_PLAIN_EDITOR(TfrmAsfProfile, ofASF)
CLIPFORGE_PLAIN_EDITOR(TfrmAacProfile, ofAAC)
CLIPFORGE_PLAIN_EDITOR(TfrmAc3Profile, ofAC3)
CLIPFORGE_PLAIN_EDITOR(TfrmMp2Profile, ofMP2)
CLIPFORGE_PLAIN_EDITOR(TfrmMp3Profile, ofMP3)
CLIPFORGE_PLAIN_EDITOR(TfrmWavProfile, ofWAV)

#undef CLIPFORGE_PLAIN_EDITOR

// The type list (iPod, PSP, mobile, plain MP4) picks the AAC page.
class TfrmMp4Profile : public TProfileEditor {
    Q_OBJECT

public:
    explicit TfrmMp4Profile(QWidget* parent = nullptr);

protected:
    void applyOwnTexts() override;
    void loadOwn(const TEditorSettings& settings) override;
    void saveOwn(TEditorSettings& settings) const override;
    int chosenAudioPage() const override;

private:
    QGroupBox* m_typeGroup = nullptr;
    QComboBox* m_type = nullptr;
};

// Handset types with a pair of codec lists each, and the attention messages
// of the first type's lists.
class TfrmTGPProfile : public TProfileEditor {
    Q_OBJECT

public:
    explicit TfrmTGPProfile(QWidget* parent = nullptr);

protected:
    void applyOwnTexts() override;
    void loadOwn(const TEditorSettings& settings) override;
    void saveOwn(TEditorSettings& settings) const override;
    int chosenVideoPage() const override;
    int chosenAudioPage() const override;
    void codecChosen(QComboBox* list) override;
    void applyAudioRule() override;
    void applyRules() override;

private:
    bool nokia() const;
    void applyTypeRule();

    QGroupBox* m_typeGroup = nullptr;
    QComboBox* m_type = nullptr;
    QStackedWidget* m_videoLists = nullptr;
    QStackedWidget* m_audioLists = nullptr;
    QGroupBox* m_videoNokiaGroup = nullptr;
    QGroupBox* m_videoSonyGroup = nullptr;
    QGroupBox* m_audioNokiaGroup = nullptr;
    QGroupBox* m_audioSonyGroup = nullptr;
    QComboBox* m_videoNokia = nullptr;
    QComboBox* m_videoSony = nullptr;
    QComboBox* m_audioNokia = nullptr;
    QComboBox* m_audioSony = nullptr;
};

// Preset formats (VCD, SVCD, DVD), an audio list per video codec and the DVD page.
class TfrmMPEGProfile : public TProfileEditor {
    Q_OBJECT

public:
    explicit TfrmMPEGProfile(QWidget* parent = nullptr);

protected:
    void applyOwnTexts() override;
    void loadOwn(const TEditorSettings& settings) override;
    void saveOwn(TEditorSettings& settings) const override;
    int chosenAudioPage() const override;
    void applyAudioRule() override;
    void applyRules() override;

private:
    void buildPresets();
    void buildDvdPage();
    bool mpeg1() const;
    void applyDvdAspectRule();

    QGroupBox* m_presetGroup = nullptr;
    QCheckBox* m_usePresets = nullptr;
    QGroupBox* m_presetTypeGroup = nullptr;
    QButtonGroup* m_presetType = nullptr;
    QGroupBox* m_targetGroup = nullptr;
    QButtonGroup* m_target = nullptr;
    QStackedWidget* m_audioLists = nullptr;
    QGroupBox* m_audioMpeg1Group = nullptr;
    QGroupBox* m_audioMpeg2Group = nullptr;
    QComboBox* m_audioMpeg1 = nullptr;
    QComboBox* m_audioMpeg2 = nullptr;
    QWidget* m_dvdTab = nullptr;
    TVideoBitrateGroup* m_dvdBitrate = nullptr;
    QGroupBox* m_dvdAspectGroup = nullptr;
    QButtonGroup* m_dvdAspectChoice = nullptr;
    QComboBox* m_dvdAspect = nullptr;
    QGroupBox* m_dvdAudioGroup = nullptr;
    QCheckBox* m_dvdAutoAudio = nullptr;
    TLadderBar* m_dvdAudio = nullptr;
};

// Choosing AMR-WB warns first.
class TfrmAmrProfile : public TProfileEditor {
    Q_OBJECT

public:
    explicit TfrmAmrProfile(QWidget* parent = nullptr) : TProfileEditor(ofAMR, parent) {}

protected:
    void codecChosen(QComboBox* list) override;
};

// The editor of an output format (0 AVI ... 15 WAV).
std::unique_ptr<TProfileEditor> CreateProfileEditor(int format, QWidget* parent);

// Opens the format's editor over owner, loaded from the format's settings
// record; on Save writes it back and returns true.
bool EditProfileSettings(int format, QWidget* owner);
