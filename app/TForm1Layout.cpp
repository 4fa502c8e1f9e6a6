// SPDX-License-Identifier: GPL-3.0-or-later
// The window's controls, at the positions and sizes of its layout.
#include "Version.h"
#include "app/Artwork.h"
#include "app/Canvas.h"
#include "app/CrispFrameStyle.h"
#include "app/FormStyle.h"
#include "app/LinkLabel.h"
#include "app/MusicComboBox.h"
#include "app/TForm1.h"
#include "online/ServerAddress.h"
#include "platform/qt/QtSystemText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <span>

namespace lexfall {
namespace {

using style::Place;

// A raised inner bevel inside a lowered outer one: a sunken box of one-pixel lines draws
// exactly that, shadow then light at the top and left, light then shadow at the bottom and right.
void SetBevels(QFrame* frame) {
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setLineWidth(1);
    frame->setMidLineWidth(0);
}

QFrame* MakePage(QWidget* parent) {
    auto* page = new QFrame(parent);
    SetBevels(page);
    Place(page, 0, 50, 505, 468);
    return page;
}

QPushButton* MakeButton(QWidget* parent, const char* caption, int left, int top,
                        const char* hint = nullptr) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setFont(style::BoldFont());
    Place(button, left, top, 75, 25);
    if (hint)
        button->setProperty("hint", QString::fromLatin1(hint)); // kept, never shown
    return button;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, int left, int top, bool bold = false) {
    auto* label = new QLabel(text, parent);
    // Names, dates and paths come from files and the records server: "<h1>X" is a name.
    label->setTextFormat(Qt::PlainText);
    if (bold)
        label->setFont(style::BoldFont());
    label->move(left, top);
    label->adjustSize();
    return label;
}

// A centred caption in a single-line border: the option rows' headings.
QLabel* MakeHeading(QWidget* parent, const char* text, int top, int width) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    Place(label, 24, top, width, 17);
    return label;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* caption, bool ticked, int left, int top,
                        int width) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setChecked(ticked);
    Place(box, left, top, width, 17);
    return box;
}

QLineEdit* MakeEdit(QWidget* parent, int left, int top, int width, int height, int maxLength,
                    bool border) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(maxLength);
    edit->setFrame(border);
    Place(edit, left, top, width, height);
    return edit;
}

// Labels size themselves to their text from their stated position, as the original toolkit's
// labels do, so no caption is clipped in another font; none gets smaller.
void SizeLabelsToText(QWidget* parent) {
    for (QLabel* label : parent->findChildren<QLabel*>())
        label->resize(label->size().expandedTo(label->sizeHint()));
}

// The banner for a screen of ratio: at 1, shown straight from the program's own bytes, nothing
// decoded or copied; on a screen that scales, the drawing of the next larger scale.
QImage BannerAt(qreal ratio) {
    if (ratio > 1.0) {
        const std::span<const artwork::ScaledPng> sharp = artwork::SharpBanners();
        const auto fits = std::find_if(sharp.begin(), sharp.end(), [ratio](const auto& banner) {
            return banner.scale >= ratio;
        });
        const artwork::Blob png = (fits != sharp.end() ? *fits : sharp.back()).png;
        QImage decoded;
        if (decoded.loadFromData(png.data, static_cast<int>(png.size), "PNG"))
            return decoded;
    }
    const artwork::Pixels banner = artwork::BannerPixels();
    return QImage(reinterpret_cast<const uchar*>(banner.data), banner.width, banner.height,
                  banner.width * 4, QImage::Format_RGB32);
}

// A page the start does not show: made hidden and disabled, as ShowPage leaves a page it left.
QFrame* MakeHiddenPage(QWidget* parent) {
    QFrame* page = MakePage(parent);
    page->hide();
    page->setEnabled(false);
    return page;
}

} // namespace

void TForm1::BuildLayout() {
    setWindowTitle(QStringLiteral("Lexfall"));
    setFont(style::WindowFont());
    auto* client = new QWidget(this);
    setCentralWidget(client);
    // The client area is the banner over one page; the border is set at start-up.
    client->setFixedSize(kClientSize);

    Image4 = new Canvas(505, 50, client);
    Image4->move(0, 0);
    Image4->setCursor(Qt::PointingHandCursor);
    // Shown straight from the program's own bytes; nothing is decoded or copied.
    Image4->SetImageSource(BannerAt);

    SetWindowIcon(kFirstFrameIconSize);

    PanelGame = MakePage(client);
    BuildGamePage();
}

void TForm1::SetWindowIcon(int largestSize) {
    QIcon icon;
    for (const artwork::Pixels& size : artwork::IconPixels()) {
        if (size.width > largestSize)
            continue;
        icon.addPixmap(
            QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(size.data), size.width,
                                      size.height, size.width * 4, QImage::Format_ARGB32)));
    }
    setWindowIcon(icon);
}

void TForm1::CompleteWindowIcon() {
    SetWindowIcon(std::numeric_limits<int>::max());
}

void TForm1::BuildGamePage() {
    Panel1 = new QFrame(PanelGame);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);
    Place(Panel1, 16, 20, 336, 416);
    Image1 = new Canvas(320, 400, Panel1);
    Image1->move(kBoardOrigin);
    Image3 = new Canvas(BlockSize, BlockSize, Panel1);
    Image3->move(kBoardOrigin + QPoint(BlockSize * EntryCol, 0));
    Image3->SetTransparent(true);
    Image3->raise();

    Image2 = new Canvas(100, 100, PanelGame);
    Image2->move(368, 20);

    Memo1 = new QPlainTextEdit(PanelGame);
    Place(Memo1, 368, 132, 100, 241);
    Memo1->setFont(style::BoldFont());
    CrispFrameStyle::Apply(Memo1);
    Memo1->setEnabled(false);
    // Nobody can scroll a disabled log: it has no scroll bars, and each new line scrolls it to
    // the end, where it already stands.
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette logColours = Memo1->palette();
    logColours.setColor(QPalette::Base, logColours.color(QPalette::Button));
    logColours.setColor(QPalette::Disabled, QPalette::Text, style::kGrayText);
    Memo1->setPalette(logColours);

    Button1 = MakeButton(PanelGame, "&Start", 392, 380);
    Button2 = MakeButton(PanelGame, "&Records", 392, 412);
    Button2->setFocusPolicy(Qt::ClickFocus); // not a tab stop
}

void TForm1::BuildRecordsPage(RecordsPage& records) {
    records.PanelRecord = MakeHiddenPage(centralWidget());
    QWidget* page = records.PanelRecord;
    style::SetTextColour(MakeLabel(page, "Records", 24, 24, true), style::kMaroon);
    MakeLabel(page, "Game Score", 168, 24, true);
    style::SetTextColour(MakeLabel(page, "Your Record", 280, 24, true), style::kGreen);
    style::SetTextColour(MakeLabel(page, "World Record", 392, 24, true), style::kRed);

    records.Label1 = MakeLabel(page, "", 168, 40);
    records.Label2 = MakeLabel(page, "", 280, 40);
    records.Label3 = MakeLabel(page, "", 392, 40);
    for (QLabel* date : {records.Label1, records.Label2, records.Label3})
        style::SetTextColour(date, style::kInactiveCaption);

    struct Row {
        FigureRow::Row index;
        int top;
        const char* heading;
        const char* initial;
        bool ratio;
    };
    static constexpr Row kRows[] = {
        {FigureRow::Keeper, 88, "Keeper:", "", false},
        {FigureRow::Time, 112, "Used Time (Second): ", "0", false},
        {FigureRow::Letters, 136, "Used Letters: ", "0", false},
        {FigureRow::Words, 160, "Completed Words: ", "0", false},
        {FigureRow::Total, 184, "Total Score:", "0", false},
        {FigureRow::LettersPerWord, 240, "Letters per Word:", "0.00", true},
        {FigureRow::WordsPerMinute, 264, "Words per Minute:", "0.00", true},
        {FigureRow::SecondsPerWord, 288, "Seconds per Word:", "0.00", true},
    };
    for (const Row& row : kRows) {
        QLabel* heading = MakeLabel(page, row.heading, 24, row.top, true);
        if (row.ratio)
            style::SetTextColour(heading, style::kInactiveCaption);
        const int shift =
            row.index == FigureRow::Keeper ? 8 : 0; // the keeper row sits 8 pixels further left
        records.MyScore[row.index] = MakeLabel(page, row.initial, 184 - shift, row.top);
        records.MyRecord[row.index] = MakeLabel(page, row.initial, 296 - shift, row.top);
        records.WRecord[row.index] = MakeLabel(page, row.initial, 408 - shift, row.top);
    }
    records.MyScore[FigureRow::Keeper]->setText(QStringLiteral("Player1"));
    records.MyRecord[FigureRow::Keeper]->setText(QStringLiteral("Player1"));
    records.WRecord[FigureRow::Keeper]->setText(QStringLiteral("No Record"));
    for (auto* column : {&records.MyScore, &records.MyRecord, &records.WRecord})
        for (QLabel* label : *column)
            label->adjustSize();

    records.LabelBroken = MakeLabel(page, "", 40, 328, true);
    style::SetTextColour(records.LabelBroken, style::kGreen);

    records.Button9 =
        MakeButton(page, "&Get MyRec", 72, 412, "Get my best record from game server.");
    records.Button5 =
        MakeButton(page, "&Put MyRec", 152, 412, "Put my current saved record to game server.");
    records.Button4 = MakeButton(page, "Check &WR", 232, 412, "Get the newest World Record.");
    records.Button8 =
        MakeButton(page, "&Save Rec", 312, 412, "Save my current record on my computer.");
    records.Button10 =
        MakeButton(page, "&History", 312, 380, "My games, my ten best, my progress.");
    records.Button6 = MakeButton(page, "&Options", 392, 380, "Go Setting");
    records.Button3 = MakeButton(page, "&Continue", 392, 412, "To Game");
    // Enabled by the start-up sequence once the records are loaded.
    for (QPushButton* button : {records.Button9, records.Button5, records.Button8})
        button->setEnabled(false);
    SizeLabelsToText(page);
}

void TForm1::BuildOptionsPage(OptionsPage& options) {
    options.PanelOptions = MakeHiddenPage(centralWidget());
    QWidget* page = options.PanelOptions;
    MakeHeading(page, "Music", 24, 65);
    options.ComboBox1 = new MusicComboBox(page);
    Place(options.ComboBox1, 104, 22, 185, 21);
    options.CheckBoxMusic = MakeCheckBox(page, "Enable", true, 312, 24, 97);

    MakeHeading(page, "Sound", 48, 65);
    options.CheckBoxSound = MakeCheckBox(page, "Enable", true, 104, 48, 97);

    MakeHeading(page, "AutoSave", 72, 65);
    options.CheckBox2 = MakeCheckBox(page, "Enable", false, 104, 72, 97);
    Place(MakeLabel(page, "AutoSave new Record", 200, 72), 200, 72, 112, 17);

    MakeHeading(page, "Speed", 96, 65);
    options.MaskEdit1 = MakeEdit(page, 104, 94, 40, 21, 4, false);
    options.MaskEdit1->setText(QStringLiteral(" 750"));
    options.MaskEdit1->setAlignment(Qt::AlignLeft);
    options.UpDownUp = new QToolButton(page);
    options.UpDownUp->setArrowType(Qt::UpArrow);
    options.UpDownUp->setFocusPolicy(Qt::NoFocus); // the keyboard's arrows do not work it
    Place(options.UpDownUp, 144, 94, 15, 10);
    options.UpDownDown = new QToolButton(page);
    options.UpDownDown->setArrowType(Qt::DownArrow);
    options.UpDownDown->setFocusPolicy(Qt::NoFocus);
    Place(options.UpDownDown, 144, 104, 15, 11);
    Place(MakeLabel(page, "ms      Letter block dropping speed", 168, 96), 168, 96, 167, 17);

    MakeHeading(page, "Http Proxy", 120, 64);
    options.EditIP = MakeEdit(page, 104, 118, 121, 21, 15, false);
    options.Label4 = MakeLabel(page, ":", 229, 121, true);
    options.EditPort = MakeEdit(page, 240, 118, 44, 19, 32767, true);
    options.CheckBox3 = MakeCheckBox(page, "Use IE Proxy Setting", false, 312, 120, 145);
    MakeHeading(page, "ProxyUser", 144, 64);
    options.EditProxyUser = MakeEdit(page, 104, 142, 121, 21, 255, false);
    MakeHeading(page, "ProxyPwd", 168, 64);
    options.EditProxyPwd = MakeEdit(page, 104, 166, 121, 21, 128, false); // shown in clear
    options.CheckBox1 = MakeCheckBox(page, "Enable Proxy", false, 312, 168, 97);
    for (QLineEdit* edit : {options.EditIP, options.EditProxyUser, options.EditProxyPwd})
        edit->setEnabled(false);

    options.Button7 = MakeButton(page, "&Game", 392, 412);
    BuildAboutBox(options);
    SizeLabelsToText(page);
}

void TForm1::BuildAboutBox(OptionsPage& options) {
    options.PanelAbout = new QFrame(options.PanelOptions);
    SetBevels(options.PanelAbout);
    Place(options.PanelAbout, 16, 192, 457, 201);

    auto* title = new QLabel(QStringLiteral("Lexfall"), options.PanelAbout);
    QFont titleFont = style::BoldFont(24);
    title->setFont(titleFont);
    style::SetTextColour(title, style::kDesktop);
    Place(title, 48, 8, 87, 33);
    Place(MakeLabel(options.PanelAbout, "Version " LEXFALL_VERSION, 48, 34), 48, 34, 65, 17);
    MakeLabel(
        options.PanelAbout,
        QStringLiteral("Copyright (C) 2026 the Lexfall developers. Licence: GPL-3.0-or-later."), 48,
        72);

    QFont linkFont = style::WindowFont();
    linkFont.setUnderline(true);
    options.LabelURL = new LinkLabel(QString::fromLatin1(WebSite), options.PanelAbout);
    options.LabelEmail = new LinkLabel(QString::fromLatin1(SupportMail), options.PanelAbout);
    options.LabelURL->move(48, 112);
    options.LabelEmail->move(48, 128);
    for (LinkLabel* link : {options.LabelURL, options.LabelEmail}) {
        link->setFont(linkFont);
        link->adjustSize();
    }

    // The [Register] lines go into this file by hand; an installed copy keeps it in the
    // player's home, so the box says where.
    constexpr int kSettingsTop = 160, kSettingsWidth = 401;
    QLabel* settingsFile = MakeLabel(options.PanelAbout, QString(), 48, kSettingsTop);
    settingsFile->setText(settingsFile->fontMetrics().elidedText(QStringLiteral("Settings: ") +
                                                                     FromSystemText(SettingsPath()),
                                                                 Qt::ElideMiddle, kSettingsWidth));
    settingsFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    settingsFile->adjustSize();
}

} // namespace lexfall
