#include "platform/ui/Dialogs.h"

#include "platform/base/CodePage.h"
#include "platform/graphics/TextDraw.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/Trace.h"

#include <algorithm>
#include <vector>

namespace {

enum TBoxIcon { biNoIcon, biError, biQuestion, biWarning, biInfo };

struct TBoxButton {
    AnsiString Caption;
    int Result;
    bool Default;
    bool Cancel;
};

// The dialog form: an icon at the left, the text beside it, the buttons centred below.
class TMessageForm : public TForm {
public:
    TMessageForm(const AnsiString& text, const AnsiString& caption, TBoxIcon icon, const std::vector<TBoxButton>& buttons)
        : TForm(Application)
        , FText(text)
        , FIcon(icon)
    {
        SetName("MessageBox");
        SetTraceWindowEvents(false);
        SetBorderStyle(bsDialog);
        SetFormStyle(fsStayOnTop);
        SetPosition(poScreenCenter);
        SetColor(clBtnFace);
        SetCaption(caption);
        Font().SetName(Utf8ToActive("ＭＳ Ｐゴシック"));
        Font().SetHeight(-12);
        Font().SetColor(clWindowText);
        TRect measure { 0, 0, 0, 0 };
        TDeviceContext dc;
        DrawTextDC(dc, Font().Spec(), clBlack, FText, measure, DT_CALCRECT | DT_NOPREFIX);
        int iconSpace = icon == biNoIcon ? 0 : 32 + 12;
        int buttonWidth = 75, buttonHeight = 23, gap = 8;
        int buttonsWidth = static_cast<int>(buttons.size()) * buttonWidth + static_cast<int>(buttons.size() - 1) * gap;
        int contentWidth = std::max(iconSpace + measure.Width(), buttonsWidth);
        int clientWidth = std::max(contentWidth + 2 * 16, 160);
        int textHeight = std::max(measure.Height(), icon == biNoIcon ? 0 : 32);
        int clientHeight = 16 + textHeight + 16 + buttonHeight + 12;
        SetClientSize(clientWidth, clientHeight);
        FTextRect = Bounds(16 + iconSpace, 16 + (textHeight - measure.Height()) / 2, measure.Width(), measure.Height());
        FIconRect = Bounds(16, 16, 32, 32);
        int x = (clientWidth - buttonsWidth) / 2;
        for (const TBoxButton& b : buttons) {
            auto* button = new TButton(this);
            button->SetParent(this);
            button->SetCaption(b.Caption);
            button->SetBounds(x, clientHeight - 12 - buttonHeight, buttonWidth, buttonHeight);
            button->SetModalResult(b.Result);
            button->SetDefault(b.Default);
            button->SetCancel(b.Cancel);
            x += buttonWidth + gap;
        }
    }

protected:
    void Paint() override
    {
        TCanvas& c = Canvas();
        DrawIcon(c);
        c.Font().Assign(&Font());
        c.Brush().SetStyle(bsClear);
        TRect r = FTextRect;
        DrawTextDC(*c.Handle(), c.Font().Spec(), ColorToRGB(Font().Color()), FText, r, DT_LEFT | DT_NOPREFIX);
    }

private:
    void DrawIcon(TCanvas& c)
    {
        if (FIcon == biNoIcon)
            return;
        TColor disc = FIcon == biError ? clRed : FIcon == biWarning ? clYellow : clBlue;
        TColor ink = FIcon == biWarning ? clBlack : clWhite;
        TRect r = FIconRect;
        // A filled disc, drawn row by row, with the icon's sign in it.
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(disc);
        int cx = r.Left + 16, cy = r.Top + 16;
        for (int y = -15; y <= 15; ++y) {
            int half = 0;
            while ((half + 1) * (half + 1) + y * y <= 15 * 15)
                ++half;
            c.FillRect({ cx - half, cy + y, cx + half + 1, cy + y + 1 });
        }
        c.Brush().SetColor(ink);
        switch (FIcon) {
        case biError:
            for (int i = -7; i <= 7; ++i) {
                c.FillRect({ cx + i - 1, cy + i, cx + i + 2, cy + i + 1 });
                c.FillRect({ cx - i - 1, cy + i, cx - i + 2, cy + i + 1 });
            }
            break;
        case biQuestion: {
            TRect t = r;
            TFontSpec f;
            f.Name = Utf8ToActive("ＭＳ Ｐゴシック");
            f.Height = -24;
            f.Style = { fsBold };
            DrawTextDC(*c.Handle(), f, ink, "?", t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            break;
        }
        default:
            c.FillRect({ cx - 2, cy - 9, cx + 2, cy + 4 });
            c.FillRect({ cx - 2, cy + 6, cx + 2, cy + 10 });
            break;
        }
    }

    AnsiString FText;
    TBoxIcon FIcon;
    TRect FTextRect;
    TRect FIconRect;
};

const char* AnswerName(int result)
{
    switch (result) {
    case IDOK:
        return "OK";
    case IDYES:
        return "YES";
    case IDNO:
        return "NO";
    default:
        return "CANCEL";
    }
}

int RunBox(const AnsiString& text, const AnsiString& caption, TBoxIcon icon, const std::vector<TBoxButton>& buttons, UINT type)
{
    if (!Application)
        InitApplication();
    auto* form = new TMessageForm(text, caption, icon, buttons);
    TMessageBoxInfo info;
    int result = IDCANCEL;
    try {
        form->HandleNeeded();
        info = { form->Handle(), caption, text, type };
        // The box is on the screen, painted, before the display hears of it (a screenshot then
        // shows it).
        form->Show();
        form->Update();
        if (HasDisplayDriver())
            DisplayDriver().MessageBoxOpened(info);
        result = form->ShowModal();
    } catch (...) {
        delete form;
        throw;
    }
    if (result != IDOK && result != IDYES && result != IDNO)
        result = IDCANCEL;
    TraceLine({ "msgbox", caption, text, AnswerName(result) });
    if (HasDisplayDriver())
        DisplayDriver().MessageBoxClosed(info, result);
    delete form;
    return result;
}

TBoxIcon IconOf(UINT flags)
{
    switch (flags & 0xF0) {
    case MB_ICONERROR:
        return biError;
    case MB_ICONQUESTION:
        return biQuestion;
    case MB_ICONWARNING:
        return biWarning;
    case MB_ICONINFORMATION:
        return biInfo;
    default:
        return biNoIcon;
    }
}

} // namespace

int ShowMessageBox(const AnsiString& text, const AnsiString& caption, UINT flags)
{
    std::vector<TBoxButton> buttons;
    bool second = (flags & MB_DEFBUTTON2) != 0;
    switch (flags & 0x0F) {
    case MB_YESNO:
        buttons = { { Utf8ToActive("はい(&Y)"), IDYES, !second, false }, { Utf8ToActive("いいえ(&N)"), IDNO, second, true } };
        break;
    case MB_OKCANCEL:
        buttons = { { "OK", IDOK, !second, false }, { Utf8ToActive("キャンセル"), IDCANCEL, second, true } };
        break;
    default:
        buttons = { { "OK", IDOK, true, true } };
        break;
    }
    return RunBox(text, caption, IconOf(flags), buttons, flags);
}

int MessageDlg(const AnsiString& text, TMsgDlgType type, std::initializer_list<TMsgDlgBtn> buttons, int)
{
    static const char* const captions[] = { "警告", "エラー", "情報", "確認", "" };
    static const TBoxIcon icons[] = { biWarning, biError, biInfo, biQuestion, biNoIcon };
    std::vector<TBoxButton> list;
    bool hasCancel = false, hasNo = false;
    for (TMsgDlgBtn b : buttons) {
        hasCancel |= b == mbCancel;
        hasNo |= b == mbNo;
    }
    UINT kind = MB_OK;
    for (TMsgDlgBtn b : buttons) {
        bool first = list.empty();
        // The cancel role goes to Cancel, else No, else OK, as the class library's dialogs do.
        switch (b) {
        case mbYes:
            list.push_back({ Utf8ToActive("はい(&Y)"), mrYes, first, false });
            kind = MB_YESNO;
            break;
        case mbNo:
            list.push_back({ Utf8ToActive("いいえ(&N)"), mrNo, first, !hasCancel });
            break;
        case mbOK:
            list.push_back({ "OK", mrOk, first, !hasCancel && !hasNo });
            break;
        case mbCancel:
            list.push_back({ Utf8ToActive("キャンセル"), mrCancel, first, true });
            break;
        }
    }
    UINT iconFlag = type == mtConfirmation ? MB_ICONQUESTION : type == mtError ? MB_ICONERROR : type == mtWarning ? MB_ICONWARNING : type == mtInformation ? MB_ICONINFORMATION : 0;
    return RunBox(text, Utf8ToActive(captions[type]), icons[type], list, kind | iconFlag);
}
