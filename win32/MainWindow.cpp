#include "MainWindow.h"

#include "ControlIds.h"
#include "Layout.h"
#include "Text.h"
#include "Win32DialogHost.h"

#include "ColourWords.h"
#include "Formats.h"
#include "StyleSettings.h"
#include "WindowsFiles.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <string_view>

namespace varnuth::win32 {

namespace {

constexpr int kClientWidth = 6975;
constexpr int kClientHeight = 4275;
constexpr UINT kRunFinished = WM_APP + 1;
constexpr UINT_PTR kProgressTimer = 1;
constexpr UINT kProgressIntervalMs = 100;
constexpr ULONGLONG kProgressDelayMs = 500;

enum class Kind { Label, Edit, ShownOnly, Button, Check, FirstOption, Option, Frame, Swatch, FormatOptions };

struct ControlRow {
    int id;
    Kind kind;
    int frame; // the frame it sits in, whose corner its place counts from; 0 on the window
    const char* caption;
    Twips place;
};

// In the order of the focus, which the window's children follow; each label goes just before what it names, as
// a screen reader looks for it there.
constexpr ControlRow kControls[] = {
    {kLabel1, Kind::Label, 0, "Source Filename:", {120, 120, 1260, 255}},
    {kTxtSource, Kind::Edit, 0, "", {1440, 120, 4815, 315}},
    {kCmdBrowse, Kind::Button, 0, "...", {6360, 120, 465, 330}},
    {kLabel2, Kind::Label, 0, "Target Filename:", {120, 720, 1215, 255}},
    {kTxtTarget, Kind::Edit, 0, "", {1440, 675, 4815, 315}},
    {kCmdBrowse2, Kind::Button, 0, "...", {6360, 690, 465, 330}},
    {kCmdConvert, Kind::Button, 0, "Convert", {5400, 3360, 735, 375}},
    {kCmdClose, Kind::Button, 0, "Close", {6240, 3360, 615, 375}},
    {kFrame1, Kind::Frame, 0, "Subtitle Font Format", {120, 1200, 2175, 1935}},
    {kLabel3, Kind::Label, kFrame1, "Font:", {120, 405, 495, 255}},
    {kTxtFont, Kind::ShownOnly, kFrame1, "", {600, 360, 1455, 285}},
    {kLabel4, Kind::Label, kFrame1, "Size:", {120, 1350, 495, 255}},
    {kTxtSize, Kind::ShownOnly, kFrame1, "", {600, 1350, 735, 285}},
    {kCmdFont, Kind::Button, kFrame1, "...", {1620, 1335, 450, 300}},
    {kLabel5, Kind::Label, kFrame1, "Style:", {120, 840, 405, 255}},
    {kCheck1, Kind::Check, kFrame1, "Bold", {600, 840, 615, 255}},
    {kCheck2, Kind::Check, kFrame1, "Italic", {1440, 840, 645, 255}},
    {kFrame2, Kind::Frame, 0, "Subtitle Color Format", {2520, 1200, 2055, 1935}},
    {kLabel6, Kind::Label, kFrame2, "Primary:", {120, 360, 615, 255}},
    {kShPrimary, Kind::Swatch, kFrame2, "", {1080, 360, 375, 255}},
    {kCmdPrimary, Kind::Button, kFrame2, "...", {1560, 360, 315, 255}},
    {kLabel7, Kind::Label, kFrame2, "Secondary:", {120, 840, 855, 255}},
    {kShSecondary, Kind::Swatch, kFrame2, "", {1080, 840, 375, 255}},
    {kCmdSecondary, Kind::Button, kFrame2, "...", {1560, 840, 315, 255}},
    {kLabel8, Kind::Label, kFrame2, "Tertiary:", {120, 1320, 735, 255}},
    {kShTertiary, Kind::Swatch, kFrame2, "", {1080, 1320, 375, 255}},
    {kCmdTertiary, Kind::Button, kFrame2, "...", {1560, 1320, 315, 255}},
    {kFrame3, Kind::Frame, 0, "Margin/Alignment", {4800, 1200, 2055, 1935}},
    {kLabel9, Kind::Label, kFrame3, "Left:", {120, 360, 495, 255}},
    {kTxtLeft, Kind::Edit, kFrame3, kDefaultMarginLeft, {840, 345, 495, 285}},
    {kLabel10, Kind::Label, kFrame3, "pixels", {1455, 360, 450, 255}},
    {kLabel11, Kind::Label, kFrame3, "Right:", {120, 840, 435, 255}},
    {kTxtRight, Kind::Edit, kFrame3, kDefaultMarginRight, {840, 795, 495, 285}},
    {kLabel13, Kind::Label, kFrame3, "pixels", {1455, 840, 450, 255}},
    {kLabel12, Kind::Label, kFrame3, "Bottom:", {120, 1320, 570, 255}},
    {kTxtBottom, Kind::Edit, kFrame3, kDefaultMarginBottom, {840, 1245, 495, 285}},
    {kLabel14, Kind::Label, kFrame3, "pixels", {1455, 1275, 450, 255}},
    {kOption1, Kind::FirstOption, kFrame3, "L", {150, 1635, 375, 255}},
    {kOption2, Kind::Option, kFrame3, "C", {840, 1635, 375, 255}},
    {kOption3, Kind::Option, kFrame3, "R", {1515, 1620, 375, 255}},
    {0, Kind::FormatOptions, 0, "", {}},
    {kLabel15, Kind::Label, 0, "Updated on 5 Feb 2002", {5040, 3960, 1815, 255}},
};

constexpr std::array kSwatchIds = {kShPrimary, kShSecondary, kShTertiary};
constexpr std::array kColourButtonIds = {kCmdPrimary, kCmdSecondary, kCmdTertiary};

// What a screen reader says for the controls whose captions tell nothing by themselves.
constexpr struct {
    int id;
    const wchar_t* name;
} kSpokenNames[] = {
    {kCmdBrowse, L"Choose source file"},
    {kCmdBrowse2, L"Choose target file"},
    {kCmdFont, L"Choose font"},
    {kCmdPrimary, L"Choose primary colour"},
    {kCmdSecondary, L"Choose secondary colour"},
    {kCmdTertiary, L"Choose tertiary colour"},
    {kOption1, L"Align left"},
    {kOption2, L"Align centre"},
    {kOption3, L"Align right"},
    {kTxtLeft, L"Left margin, pixels"},
    {kTxtRight, L"Right margin, pixels"},
    {kTxtBottom, L"Bottom margin, pixels"},
};

int BoxId(Box box)
{
    switch (box) {
    case Box::Source: return kTxtSource;
    case Box::Target: return kTxtTarget;
    case Box::FontName: return kTxtFont;
    case Box::FontSize: return kTxtSize;
    case Box::MarginLeft: return kTxtLeft;
    case Box::MarginRight: return kTxtRight;
    case Box::MarginBottom: return kTxtBottom;
    }
    return kTxtSource;
}

int CheckId(StyleCheck check)
{
    return check == StyleCheck::Bold ? kCheck1 : kCheck2;
}

int AlignmentId(int alignment)
{
    return kOption1 + alignment - kAlignLeft;
}

// The system class and style of each kind; every control but a label and a swatch takes its own group, so that the
// arrow keys move only within an option group.
struct ClassAndStyle {
    const wchar_t* className;
    DWORD style;
    DWORD extendedStyle;
};

ClassAndStyle ClassOf(Kind kind)
{
    constexpr DWORD kStop = WS_TABSTOP | WS_GROUP;
    switch (kind) {
    case Kind::Label: return {WC_STATICW, SS_LEFT | SS_NOPREFIX, 0};
    case Kind::Edit: return {WC_EDITW, ES_AUTOHSCROLL | kStop, WS_EX_CLIENTEDGE};
    // Only copies of the font settings, which nothing reads back: no typing, and no stop for the Tab key.
    case Kind::ShownOnly: return {WC_EDITW, ES_AUTOHSCROLL | ES_READONLY | WS_GROUP, WS_EX_CLIENTEDGE};
    case Kind::Button: return {WC_BUTTONW, BS_PUSHBUTTON | kStop, 0};
    case Kind::Check: return {WC_BUTTONW, BS_AUTOCHECKBOX | kStop, 0};
    case Kind::FirstOption: return {WC_BUTTONW, BS_AUTORADIOBUTTON | WS_GROUP, 0};
    case Kind::Option: return {WC_BUTTONW, BS_AUTORADIOBUTTON, 0};
    case Kind::Frame: return {WC_BUTTONW, BS_GROUPBOX | WS_GROUP, 0};
    case Kind::Swatch: return {WC_STATICW, SS_OWNERDRAW, 0};
    case Kind::FormatOptions: break;
    }
    return {WC_STATICW, 0, 0};
}

const ControlRow& RowOf(int id)
{
    return *std::find_if(std::begin(kControls), std::end(kControls),
                         [id](const ControlRow& row) { return row.id == id; });
}

/// Where \p row sits in the window's client area, in twips.
Twips PlaceOnWindow(const ControlRow& row)
{
    if (row.frame == 0) {
        return row.place;
    }
    const Twips& frame = RowOf(row.frame).place;
    return {frame.left + row.place.left, frame.top + row.place.top, row.place.width, row.place.height};
}

// Disabled, the fill is mixed half and half with the frame's grey, so that no colour stays bright.
COLORREF ShownColour(std::int32_t colour, bool enabled)
{
    const auto fill = static_cast<COLORREF>(colour);
    if (enabled) {
        return fill;
    }
    const COLORREF grey = GetSysColor(COLOR_BTNSHADOW);
    return RGB((GetRValue(fill) + GetRValue(grey)) / 2, (GetGValue(fill) + GetGValue(grey)) / 2,
               (GetBValue(fill) + GetBValue(grey)) / 2);
}

} // namespace

MainWindow::MainWindow(HINSTANCE instance)
{
    static const ATOM registered =
        RegisterDialogClass(instance, Procedure, kMainWindowClass, LoadIconW(instance, MAKEINTRESOURCEW(1)));
    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, MAKEINTATOM(registered), kCaption,
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT, 0,
                              0, nullptr, nullptr, instance, this);
    dpi_ = GetDpiForWindow(window_);
    swatchColours_.fill(static_cast<std::int32_t>(RGB(255, 255, 255)));
    CreateControls();
    NameControls();
    AddTips();
    LayOut();
    SizeClientArea(window_, kClientWidth, kClientHeight, dpi_);
    actions_ = std::make_unique<WindowActions>(
        *this, std::make_unique<Win32DialogHost>(window_),
        [this](const std::string& message) { MessageBoxW(window_, DisplayText(message).c_str(), kCaption, MB_OK); },
        [window = window_] { PostMessageW(window, kRunFinished, 0, 0); });
    actions_->Load();
    DragAcceptFiles(window_, TRUE);
}

MainWindow::~MainWindow()
{
    // A run still going stops before the window it reports to is gone.
    actions_.reset();
    if (IsWindow(window_)) {
        DestroyWindow(window_);
    }
    DeleteObject(font_);
}

void MainWindow::Show(int showCommand)
{
    ShowWindow(window_, showCommand);
    SetFocus(Control(kTxtSource));
}

void MainWindow::CreateControls()
{
    for (const ControlRow& row : kControls) {
        if (row.kind == Kind::FormatOptions) {
            CreateFormatOptions();
            continue;
        }
        const ClassAndStyle made = ClassOf(row.kind);
        CreateWindowExW(made.extendedStyle, made.className, DisplayText(row.caption).c_str(),
                        WS_CHILD | WS_VISIBLE | made.style, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), nullptr, nullptr);
    }
    alignmentOptions_ = {kOption1, kOption2, kOption3};
}

// One option button per format row, its identifier from the row's option index as the control array's elements are
// numbered; the first is selected.
void MainWindow::CreateFormatOptions()
{
    for (const FormatEntry& row : kFormats) {
        const int id = kOption4 + row.optionIndex;
        const ClassAndStyle made = ClassOf(formatOptions_.empty() ? Kind::FirstOption : Kind::Option);
        CreateWindowExW(made.extendedStyle, made.className, DisplayText(row.caption).c_str(),
                        WS_CHILD | WS_VISIBLE | made.style, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        formatOptions_.push_back(id);
    }
    CheckRadioButton(window_, formatOptions_.front(), formatOptions_.back(), formatOptions_.front());
    KeepTabStopOnSelected(formatOptions_);
}

void MainWindow::NameControls()
{
    names_ = std::make_unique<AccessibleNames>();
    for (const auto& [id, name] : kSpokenNames) {
        names_->Name(Control(id), name);
    }
    for (std::size_t row = 0; row < kSwatchIds.size(); ++row) {
        DescribeSwatch(row);
    }
}

// A button captioned "..." also shows what it does when the pointer rests on it.
void MainWindow::AddTips() const
{
    HWND tips =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, nullptr, nullptr);
    for (const auto& [id, name] : kSpokenNames) {
        if (std::string_view(RowOf(id).caption) == "...") {
            TTTOOLINFOW tip{};
            tip.cbSize = sizeof tip;
            tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            tip.hwnd = window_;
            tip.uId = reinterpret_cast<UINT_PTR>(Control(id));
            tip.lpszText = const_cast<wchar_t*>(name);
            SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tip));
        }
    }
}

// A swatch is named by its colour, which its button describes, so that the colour is heard where it is chosen.
void MainWindow::DescribeSwatch(std::size_t row)
{
    const std::wstring words = DisplayText(ColourWords(swatchColours_.at(row)));
    names_->Name(Control(kSwatchIds.at(row)), words);
    names_->Describe(Control(kColourButtonIds.at(row)), words);
}

// Every place and the font follow the window's dots per inch, which change when it moves to another monitor.
void MainWindow::LayOut()
{
    for (const ControlRow& row : kControls) {
        if (row.kind != Kind::FormatOptions) {
            Place(Control(row.id), PlaceOnWindow(row), dpi_);
        }
    }
    const auto places = FormatOptionPlaces();
    for (std::size_t i = 0; i < places.size(); ++i) {
        Place(Control(kOption4 + kFormats.at(i).optionIndex), places.at(i), dpi_);
    }
    std::vector<Caption> labels;
    for (const ControlRow& row : kControls) {
        if (row.kind == Kind::Label) {
            labels.push_back({DisplayText(row.caption), Pixels(row.place.width, dpi_)});
        }
    }
    HFONT previous = font_;
    font_ = CreateWindowFont(dpi_, labels);
    SetChildrenFont(window_, font_);
    DeleteObject(previous);
}

void MainWindow::ChangeDpi(UINT dpi, const RECT& suggested)
{
    dpi_ = dpi;
    LayOut();
    const POINT corner{suggested.left, suggested.top};
    SizeClientArea(window_, kClientWidth, kClientHeight, dpi_, &corner);
}

void MainWindow::TakeSources(const std::vector<std::string>& fullNames)
{
    actions_->TakeSources(fullNames);
}

bool MainWindow::IsNavigation(MSG& message) const
{
    return (progress_ && IsDialogMessageW(progress_->Handle(), &message)) || IsDialogMessageW(window_, &message);
}

std::string MainWindow::Text(Box box) const
{
    HWND control = Control(BoxId(box));
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return Utf8Text(text);
}

// A text longer than its box shows from its start, as a new text does on Windows; wine keeps the old scroll.
void MainWindow::SetText(Box box, const std::string& text)
{
    HWND control = Control(BoxId(box));
    SetWindowTextW(control, DisplayText(text).c_str());
    SendMessageW(control, EM_SETSEL, 0, 0);
    SendMessageW(control, EM_SCROLLCARET, 0, 0);
}

void MainWindow::Focus(Box box)
{
    SetFocus(Control(BoxId(box)));
}

bool MainWindow::Checked(int id) const
{
    return IsDlgButtonChecked(window_, id) == BST_CHECKED;
}

CheckState MainWindow::Check(StyleCheck check) const
{
    switch (IsDlgButtonChecked(window_, CheckId(check))) {
    case BST_CHECKED: return CheckState::Checked;
    case BST_INDETERMINATE: return CheckState::Greyed;
    default: return CheckState::Unchecked;
    }
}

void MainWindow::Tick(StyleCheck check)
{
    CheckDlgButton(window_, CheckId(check), BST_CHECKED);
}

int MainWindow::Alignment() const
{
    for (int alignment : {kAlignLeft, kAlignCentre, kAlignRight}) {
        if (Checked(AlignmentId(alignment))) {
            return alignment;
        }
    }
    return kNoAlignment;
}

void MainWindow::SelectAlignment(int alignment)
{
    for (int value : {kAlignLeft, kAlignCentre, kAlignRight}) {
        CheckDlgButton(window_, AlignmentId(value), value == alignment ? BST_CHECKED : BST_UNCHECKED);
    }
    KeepTabStopOnSelected(alignmentOptions_);
}

int MainWindow::FormatOption() const
{
    for (const FormatEntry& row : kFormats) {
        if (Checked(kOption4 + row.optionIndex)) {
            return row.optionIndex;
        }
    }
    return -1;
}

// Disabling keeps every value inside the frames; only the user's access goes.
void MainWindow::EnableStyleFrames(bool enabled)
{
    for (int frame : {kFrame1, kFrame2, kFrame3}) {
        for (const ControlRow& row : kControls) {
            if (row.id == frame || row.frame == frame) {
                EnableWindow(Control(row.id), enabled ? TRUE : FALSE);
            }
        }
    }
}

void MainWindow::FillSwatch(ColourRow row, std::int32_t colour)
{
    const auto index = static_cast<std::size_t>(row);
    swatchColours_.at(index) = colour;
    DescribeSwatch(index);
    InvalidateRect(Control(kSwatchIds.at(index)), nullptr, TRUE);
}

void MainWindow::DrawSwatch(const DRAWITEMSTRUCT& item) const
{
    const auto* swatch = std::find(kSwatchIds.begin(), kSwatchIds.end(), static_cast<int>(item.CtlID));
    const bool enabled = IsWindowEnabled(item.hwndItem) != FALSE;
    HBRUSH fill = CreateSolidBrush(
        ShownColour(swatchColours_.at(static_cast<std::size_t>(swatch - kSwatchIds.begin())), enabled));
    FillRect(item.hDC, &item.rcItem, fill);
    DeleteObject(fill);
    FrameRect(item.hDC, &item.rcItem, GetSysColorBrush(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
}

// Tab enters an option group at its selected button, where Space changes nothing, or at its first when none is.
void MainWindow::KeepTabStopOnSelected(const std::vector<int>& group) const
{
    const bool noneSelected = std::none_of(group.begin(), group.end(), [this](int id) { return Checked(id); });
    for (int id : group) {
        HWND option = Control(id);
        const LONG_PTR style = GetWindowLongPtrW(option, GWL_STYLE);
        const bool stop = Checked(id) || (noneSelected && id == group.front());
        SetWindowLongPtrW(option, GWL_STYLE, stop ? style | WS_TABSTOP : style & ~LONG_PTR{WS_TABSTOP});
    }
}

void MainWindow::Clicked(int id)
{
    switch (id) {
    case kCmdBrowse: actions_->ChooseSource(); return;
    case kCmdBrowse2: actions_->ChooseTarget(); return;
    case kCmdFont: actions_->ChooseFont(); return;
    case kCmdConvert: Convert(); return;
    case kCmdClose: Close(); return;
    default: break;
    }
    if (const auto* button = std::find(kColourButtonIds.begin(), kColourButtonIds.end(), id);
        button != kColourButtonIds.end()) {
        actions_->ChooseColour(static_cast<ColourRow>(button - kColourButtonIds.begin()));
    } else if (std::find(formatOptions_.begin(), formatOptions_.end(), id) != formatOptions_.end()) {
        KeepTabStopOnSelected(formatOptions_);
        actions_->ApplyFormat(id - kOption4);
    } else if (std::find(alignmentOptions_.begin(), alignmentOptions_.end(), id) != alignmentOptions_.end()) {
        KeepTabStopOnSelected(alignmentOptions_);
    }
}

// The runs go on their own thread so that the window keeps painting and can offer Cancel; the progress window
// appears once they look like lasting more than half a second.
void MainWindow::Convert()
{
    if (!actions_->Convert()) {
        return;
    }
    HWND convert = Control(kCmdConvert);
    if (GetFocus() == convert) {
        // A disabled control keeps no focus; the next one takes it, as the Tab key would give it.
        SetFocus(GetNextDlgTabItem(window_, convert, FALSE));
    }
    EnableWindow(convert, FALSE);
    runStarted_ = GetTickCount64();
    SetTimer(window_, kProgressTimer, kProgressIntervalMs, nullptr);
}

void MainWindow::ShowProgress()
{
    if (!actions_->Running()) {
        return;
    }
    if (!progress_ && GetTickCount64() - runStarted_ >= kProgressDelayMs) {
        progress_ = std::make_unique<ProgressWindow>(window_, dpi_, [this] { actions_->CancelRun(); });
    }
    if (progress_) {
        progress_->Show(actions_->Progress());
    }
}

// The message comes only now, after the run, and once.
void MainWindow::FinishRun()
{
    KillTimer(window_, kProgressTimer);
    progress_.reset();
    HWND convert = Control(kCmdConvert);
    EnableWindow(convert, TRUE);
    if (actions_->FinishRun()) {
        DestroyWindow(window_);
        return;
    }
    // Disabled during the run, Convert had passed the focus on to Close, where the next Enter would quit.
    SetFocus(convert);
}

// During a run closing asks first, and may wait for the run to let go of the target.
void MainWindow::Close()
{
    if (!actions_ || actions_->AskToClose() == CloseAnswer::Close) {
        DestroyWindow(window_);
    }
}

// Files dropped on the target box may be the target; anywhere else they are sources.
void MainWindow::TakeDrop(HDROP drop)
{
    std::vector<std::string> names;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
        names.push_back(Utf8Text(name));
    }
    POINT point{};
    DragQueryPoint(drop, &point);
    DragFinish(drop);
    RECT target{};
    GetWindowRect(Control(kTxtTarget), &target);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&target), 2);
    if (PtInRect(&target, point)) {
        actions_->TakeDroppedTargets(names);
    } else {
        actions_->TakeSources(names);
    }
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            Clicked(LOWORD(wParam));
        }
        return 0;
    case WM_DRAWITEM: DrawSwatch(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_TIMER: ShowProgress(); return 0;
    case kRunFinished:
        if (actions_) {
            FinishRun();
        }
        return 0;
    case WM_ENDSESSION:
        // Windows ends the process soon after this returns: a run still going stops first, and takes its temporary
        // file with it.
        if (wParam != FALSE) {
            KillTimer(window_, kProgressTimer);
            actions_.reset();
        }
        return 0;
    case WM_DROPFILES: TakeDrop(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_DPICHANGED: ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_CLOSE: Close(); return 0;
    case WM_DESTROY:
        KillTimer(window_, kProgressTimer);
        progress_.reset();
        names_.reset();
        PostQuitMessage(0);
        return 0;
    default: return DefDlgProcW(window_, message, wParam, lParam);
    }
}

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self != nullptr ? self->Handle(message, wParam, lParam) : DefDlgProcW(window, message, wParam, lParam);
}

} // namespace varnuth::win32
