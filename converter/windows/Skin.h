#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QAction;
class QSvgRenderer;

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

// A picture file drawn at any size: SVG is rendered at the device's pixel
// ratio so that it stays sharp when scaled, other formats are smoothed.
class TSkinPicture {
public:
    TSkinPicture() = default;
    explicit TSkinPicture(const QString& file);
    ~TSkinPicture();
    TSkinPicture(TSkinPicture&&) noexcept;
    TSkinPicture& operator=(TSkinPicture&&) noexcept;

    const QString& File() const { return m_file; }
    // False for no file and for a file that could not be read.
    bool IsValid() const;
    // The picture's own size; empty when invalid.
    QSize NaturalSize() const;
    // Stretches the picture over rect.
    void Paint(QPainter& painter, const QRect& rect) const;

private:
    QString m_file;
    std::unique_ptr<QSvgRenderer> m_svg;
    QImage m_image;
    mutable QPixmap m_cache;  // the last rendering, at its size and pixel ratio
};

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

// A picture stretched over the widget: the background and the toolbar's
// separators. Presses are reported so the window can be dragged by them.
class TSkinImage : public QWidget {
    Q_OBJECT

public:
    explicit TSkinImage(QWidget* parent = nullptr);

    void SetPicture(const QString& file);
    QString Picture() const { return m_picture.File(); }
    bool HasPicture() const { return m_picture.IsValid(); }
    // The picture's own size, so a layout can hold it.
    QSize sizeHint() const override;

Q_SIGNALS:
    void Pressed(QPoint globalPos);
    void DoubleClicked(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TSkinPicture m_picture;
};

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
