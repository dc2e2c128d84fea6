#pragma once

#include "amount_edit.h"
#include "calc/calc.h"
#include "ui/form1_description.h"

#include <windows.h>

#include <array>
#include <exception>
#include <iterator>

// The program's one window, made of standard controls from the table in form1_description.h:
// three linked amount fields, each recomputing the other two from itself at every key release.
// Recalculate reaches the fields through this window.
class Form1 : public calc::FieldAccess, private KeyReleaseListener
{
public:
    // A test tells the controls apart by their ids: the index in form1::Controls plus this.
    static constexpr int FirstControlId = 100;
    static constexpr wchar_t ClassName[] = L"Veltrix.Form1";

    // Creates the window, centred on the primary monitor's work area with the focus in txtBez,
    // and shows it; never maximized, whatever `show` or the starting program asks. Throws
    // std::runtime_error if Windows refuses.
    Form1(HINSTANCE instance, int show);
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
    void OnActivate(WPARAM wParam);
    void OnGetMinMaxInfo(MINMAXINFO &limits) const;
    void OnDpiChanged(UINT dpi, const RECT &suggested);
    void OnSize(WPARAM kind);
    void KeyReleased(calc::AmountField field) noexcept override;
    template <typename Step>
    void Guarded(Step &&step) noexcept;
    void ReportFailure(const std::exception &failure) noexcept;
    HWND Field(calc::AmountField field) const;

    HWND window = nullptr;
    std::array<HWND, std::size(form1::Controls)> controls{};  // by table index
    HWND lastFocus = nullptr;
    HFONT font = nullptr;
    HICON bigIcon = nullptr, smallIcon = nullptr;
    bool failed = false;
};
