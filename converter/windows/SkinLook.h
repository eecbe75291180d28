#pragma once

#include "base/SkinFile.h"
#include "windows/SkinButton.h"
#include "windows/SkinImage.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <array>

// The main window's controls the skin places; null ones are skipped.
// Index 0 is control 1 (ToolbarButton[0] is ToolbarButton1).
struct TSkinTargets {
    // Takes the look's style sheet. It reaches the window's own controls and
    // menus, and the facts panel's contents, but not the window's dialogs.
    QWidget* Form = nullptr;
    TSkinImage* ImageMain = nullptr;
    QWidget* ListViewFiles = nullptr;
    QWidget* editOutputFileName = nullptr;
    QWidget* ComboBoxAviProfile = nullptr;
    QWidget* ScrollBox = nullptr;
    std::array<TSkinButton*, 13> ToolbarButton{};
    std::array<TSkinImage*, 3> ToolbarImageLine{};
    std::array<TSkinButton*, 11> MainButton{};
    std::array<TSkinButton*, 3> SystemButton{};
    std::array<QWidget*, 26> Label{};
    std::array<QWidget*, 16> EditBox{};
};

void ApplySkinLayout(const TSkinLayout& layout, const TSkinTargets& targets);

// Reads the skin file and applies it; false, and nothing changed, when the
// file does not exist.
bool ApplySkin(const QString& skinFile, const TSkinTargets& targets,
               TToolbarPictures toolbar = TToolbarPictures::Edition);

// The style sheet of a built-in look: the kelp look for the default skin,
// the moss look otherwise. Its rules reach only the direct children of the
// window ApplySkinLook marks (and the facts panel's contents and the menus
// below it), so dialogs opened over the window keep the platform look.
QString SkinStyleSheet(bool defaultSkin);

// Marks the window whose controls the style sheet dresses, and sets it.
void ApplySkinLook(QWidget* form, bool defaultSkin);

// Links in rich text take their colour from the application's palette, not
// from a style sheet; a link in the window names this colour itself.
QColor SkinLinkColor(bool defaultSkin);
