// The window's controls, at the positions and sizes of its layout.
#include "Version.h"
#include "app/Artwork.h"
#include "app/Canvas.h"
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

} // namespace

void TForm1::BuildLayout() {
    setWindowTitle(QStringLiteral("Lexfall"));
    setFont(style::WindowFont());
    auto* client = new QWidget(this);
    setCentralWidget(client);
    // The client area is the banner over one page; the border is set at start-up.
    client->setFixedSize(505, 518);

    Image4 = new Canvas(505, 50, client);
    Image4->move(0, 0);
    Image4->setCursor(Qt::PointingHandCursor);
    // Shown straight from the program's own bytes; nothing is decoded or copied.
    const artwork::Pixels banner = artwork::BannerPixels();
    Image4->Image() = QImage(reinterpret_cast<const uchar*>(banner.data), banner.width,
                             banner.height, banner.width * 4, QImage::Format_RGB32);

    QIcon icon;
    for (const artwork::Pixels& size : artwork::IconPixels()) {
        icon.addPixmap(
            QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(size.data), size.width,
                                      size.height, size.width * 4, QImage::Format_ARGB32)));
    }
    setWindowIcon(icon);

    PanelGame = MakePage(client);
    PanelRecord = MakePage(client);
    PanelOptions = MakePage(client);
    BuildGamePage();
    BuildRecordsPage();
    BuildOptionsPage();
    BuildAboutBox();
    // Labels size themselves to their text from their stated position, as the original
    // toolkit's labels do, so no caption is clipped in another font; none gets smaller.
    for (QLabel* label : client->findChildren<QLabel*>())
        label->resize(label->size().expandedTo(label->sizeHint()));
    PanelRecord->hide();
    PanelRecord->setEnabled(false);
    PanelOptions->hide();
    PanelOptions->setEnabled(false);
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

void TForm1::BuildRecordsPage() {
    QWidget* page = PanelRecord;
    style::SetTextColour(MakeLabel(page, "Records", 24, 24, true), style::kMaroon);
    MakeLabel(page, "Game Score", 168, 24, true);
    style::SetTextColour(MakeLabel(page, "Your Record", 280, 24, true), style::kGreen);
    style::SetTextColour(MakeLabel(page, "World Record", 392, 24, true), style::kRed);

    Label1 = MakeLabel(page, "", 168, 40);
    Label2 = MakeLabel(page, "", 280, 40);
    Label3 = MakeLabel(page, "", 392, 40);
    for (QLabel* date : {Label1, Label2, Label3})
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
        MyScore[row.index] = MakeLabel(page, row.initial, 184 - shift, row.top);
        MyRecord[row.index] = MakeLabel(page, row.initial, 296 - shift, row.top);
        WRecord[row.index] = MakeLabel(page, row.initial, 408 - shift, row.top);
    }
    MyScore[FigureRow::Keeper]->setText(QStringLiteral("Player1"));
    MyRecord[FigureRow::Keeper]->setText(QStringLiteral("Player1"));
    WRecord[FigureRow::Keeper]->setText(QStringLiteral("No Record"));
    for (auto* column : {&MyScore, &MyRecord, &WRecord})
        for (QLabel* label : *column)
            label->adjustSize();

    LabelBroken = MakeLabel(page, "", 40, 328, true);
    style::SetTextColour(LabelBroken, style::kGreen);

    Button9 = MakeButton(page, "&Get MyRec", 72, 412, "Get my best record from game server.");
    Button5 =
        MakeButton(page, "&Put MyRec", 152, 412, "Put my current saved record to game server.");
    Button4 = MakeButton(page, "Check &WR", 232, 412, "Get the newest World Record.");
    Button8 = MakeButton(page, "&Save Rec", 312, 412, "Save my current record on my computer.");
    Button6 = MakeButton(page, "&Options", 392, 380, "Go Setting");
    Button3 = MakeButton(page, "&Continue", 392, 412, "To Game");
    // Enabled by the start-up sequence once the records are loaded.
    for (QPushButton* button : {Button9, Button5, Button8})
        button->setEnabled(false);
}

void TForm1::BuildOptionsPage() {
    QWidget* page = PanelOptions;
    MakeHeading(page, "Music", 24, 65);
    ComboBox1 = new MusicComboBox(page);
    Place(ComboBox1, 104, 22, 185, 21);
    CheckBoxMusic = MakeCheckBox(page, "Enable", true, 312, 24, 97);

    MakeHeading(page, "Sound", 48, 65);
    CheckBoxSound = MakeCheckBox(page, "Enable", true, 104, 48, 97);

    MakeHeading(page, "AutoSave", 72, 65);
    CheckBox2 = MakeCheckBox(page, "Enable", false, 104, 72, 97);
    Place(MakeLabel(page, "AutoSave new Record", 200, 72), 200, 72, 112, 17);

    MakeHeading(page, "Speed", 96, 65);
    MaskEdit1 = MakeEdit(page, 104, 94, 40, 21, 4, false);
    MaskEdit1->setText(QStringLiteral(" 750"));
    MaskEdit1->setAlignment(Qt::AlignLeft);
    UpDownUp = new QToolButton(page);
    UpDownUp->setArrowType(Qt::UpArrow);
    UpDownUp->setFocusPolicy(Qt::NoFocus); // the keyboard's arrows do not work it
    Place(UpDownUp, 144, 94, 15, 10);
    UpDownDown = new QToolButton(page);
    UpDownDown->setArrowType(Qt::DownArrow);
    UpDownDown->setFocusPolicy(Qt::NoFocus);
    Place(UpDownDown, 144, 104, 15, 11);
    Place(MakeLabel(page, "ms      Letter block dropping speed", 168, 96), 168, 96, 167, 17);

    MakeHeading(page, "Http Proxy", 120, 64);
    EditIP = MakeEdit(page, 104, 118, 121, 21, 15, false);
    Label4 = MakeLabel(page, ":", 229, 121, true);
    EditPort = MakeEdit(page, 240, 118, 44, 19, 32767, true);
    CheckBox3 = MakeCheckBox(page, "Use IE Proxy Setting", false, 312, 120, 145);
    MakeHeading(page, "ProxyUser", 144, 64);
    EditProxyUser = MakeEdit(page, 104, 142, 121, 21, 255, false);
    MakeHeading(page, "ProxyPwd", 168, 64);
    EditProxyPwd = MakeEdit(page, 104, 166, 121, 21, 128, false); // shown in clear
    CheckBox1 = MakeCheckBox(page, "Enable Proxy", false, 312, 168, 97);
    for (QLineEdit* edit : {EditIP, EditProxyUser, EditProxyPwd})
        edit->setEnabled(false);

    Button7 = MakeButton(page, "&Game", 392, 412);
}

void TForm1::BuildAboutBox() {
    PanelAbout = new QFrame(PanelOptions);
    SetBevels(PanelAbout);
    Place(PanelAbout, 16, 192, 457, 201);

    auto* title = new QLabel(QStringLiteral("Lexfall"), PanelAbout);
    QFont titleFont = style::BoldFont(24);
    title->setFont(titleFont);
    style::SetTextColour(title, style::kDesktop);
    Place(title, 48, 8, 87, 33);
    Place(MakeLabel(PanelAbout, "Version " LEXFALL_VERSION, 48, 34), 48, 34, 65, 17);
    MakeLabel(PanelAbout,
              QStringLiteral("Copyright (C) 2026 the Lexfall developers. Free to play and share."),
              48, 72);

    QFont linkFont = style::WindowFont();
    linkFont.setUnderline(true);
    LabelURL = new LinkLabel(QString::fromLatin1(WebSite), PanelAbout);
    LabelEmail = new LinkLabel(QString::fromLatin1(SupportMail), PanelAbout);
    LabelURL->move(48, 112);
    LabelEmail->move(48, 128);
    for (LinkLabel* link : {LabelURL, LabelEmail}) {
        link->setFont(linkFont);
        link->adjustSize();
    }

    // The [Register] lines go into this file by hand; an installed copy keeps it in the
    // player's home, so the box says where.
    constexpr int kSettingsTop = 160, kSettingsWidth = 401;
    QLabel* settingsFile = MakeLabel(PanelAbout, QString(), 48, kSettingsTop);
    settingsFile->setText(settingsFile->fontMetrics().elidedText(QStringLiteral("Settings: ") +
                                                                     FromSystemText(SettingsPath()),
                                                                 Qt::ElideMiddle, kSettingsWidth));
    settingsFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    settingsFile->adjustSize();
}

} // namespace lexfall
