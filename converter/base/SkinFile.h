#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

#include <array>
#include <optional>

// The skin file: where the main window's controls lie and which pictures
// draw its background and picture buttons. Pictures are full paths of files
// in the skin's folder; "" means no picture.

struct TSkinButtonPictures {
    QString Normal;
    QString MouseOn;
    QString MouseDown;
    QString Disable;

    bool operator==(const TSkinButtonPictures&) const = default;
};

struct TSkinButtonPlace {
    TSkinButtonPictures Pictures;
    QRect Rect;
    // Whether the button draws its caption; picture-only buttons still show
    // it as their tool tip.
    bool Caption = true;
};

struct TSkinImagePlace {
    QString Picture;
    QRect Rect;
};

// Toolbar buttons 2 to 11 of this edition show their disabled picture in
// every state; with all formats shown each button keeps its own four.
enum class TToolbarPictures { Edition, Own };

struct TSkinLayout {
    bool DefaultSkin = true;  // the kelp look, else the moss look
    TSkinImagePlace Background;
    QRect ListView;
    QRect EditOutputFile;
    QRect ComboProfile;
    QRect ScrollBox;
    std::array<TSkinButtonPlace, 13> ToolbarButtons;
    std::array<TSkinImagePlace, 3> ToolbarLines;
    std::array<TSkinButtonPlace, 10> MainButtons;
    TSkinButtonPictures MainButton11;  // the transfer manager's, those of button 6
    std::array<TSkinButtonPlace, 3> SystemButtons;
    std::array<QPoint, 26> Labels;     // Label1..Label26, 7 to 26 inside the facts panel
    std::array<QPoint, 16> EditBoxes;  // inside the facts panel
    QString SplashLeftImage;           // the About box's picture
};

// The layout a skin file describes, every missing key at its default; nothing
// when the file does not exist. The file name is matched without case.
std::optional<TSkinLayout> ReadSkinLayout(const QString& skinFile,
                                          TToolbarPictures toolbar = TToolbarPictures::Edition);
