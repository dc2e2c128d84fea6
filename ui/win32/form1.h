#pragma once

#include "accessible_name.h"
#include "amount_edit.h"
#include "calc/calc.h"
#include "owned_handles.h"
#include "ui/form1_description.h"

#include <windows.h>

#include <array>
#include <exception>
#include <iterator>

// The program's one window, made of standard controls from the table in form1_description.h:
// three linked amount fields, each recomputing the other two from itself at every key release.
// Recalculate reaches the fields through this window.
class Form1 : public calc::FieldAccess, private AmountEditListener
{
public:
    // The controls' identifiers, in the order of form1::Controls and named after them: a control's
    // id is its index in the table plus FirstControlId.
    enum ControlId : int {
        Frame1Id = 100, Frame2Id, Frame3Id, TxtBezId, Txt5Id, Txt19Id, Label1Id, Label2Id, Label3Id
    };
    static constexpr int FirstControlId = Frame1Id;
    static constexpr wchar_t ClassName[] = L"Veltrix.Form1";

    // Creates the window, centred on the primary monitor's work area with the focus in txtBez,
    // and shows it at that size and place whatever the starting program asks: never maximized or
    // minimized. Throws std::runtime_error if Windows refuses.
    explicit Form1(HINSTANCE instance);
    ~Form1();
    Form1(const Form1 &) = delete;
    Form1 &operator=(const Form1 &) = delete;

    // Handles the window's events until it is closed (status 0) or a failure has been reported
    // (EXIT_FAILURE); returns that status.
    int Run();

    std::string ReadText(calc::AmountField field) const override;
    void WriteText(calc::AmountField field, const std::string &text) override;
    std::string DecimalSeparator() const override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void LayOut(UINT dpi);
    void ApplyFont(UINT dpi);
    void ApplyIcons(UINT dpi);
    void FitFrame(UINT dpi);
    void OnActivate(WPARAM wParam);
    void OnGetMinMaxInfo(MINMAXINFO &limits) const;
    void OnDpiChanged(UINT dpi, const RECT &suggested);
    void OnMetricsChanged();
    void OnSize(WPARAM kind);
    void KeyReleased(calc::AmountField field) noexcept override;
    void AccessibleObjectAsked() noexcept override;
    template <typename Step>
    void Guarded(Step &&step) noexcept;
    void ReportFailure(const std::exception &failure) noexcept;
    HWND Field(calc::AmountField field) const;

    HWND window = nullptr;
    std::array<HWND, std::size(form1::Controls)> controls{};  // by table index
    HWND lastFocus = nullptr;
    UniqueFont font;
    UniqueIcon bigIcon, smallIcon;
    AccessibleNames accessibleNames;
    bool named = false;
    // Set once a failure has been reported; from then on the window handles nothing itself.
    bool failed = false;
};
