#pragma once
// What the Results dialog writes, decided from the application state: a list of pieces,
// each with its colour and size factor. The dialog only hands them to the RichEdit.
#include <cstdint>
#include <string>
#include <vector>

#include "app/application_state.h"

struct RichTextPiece {
    std::uint32_t colour;  // COLORREF; 0 keeps the control's current colour
    float sizeFactor;      // times the current character height
    std::wstring text;
};

constexpr std::uint32_t kRed = 255;
constexpr float kBodySize = 0.85f;

bool IsVistoraRunning(const RunningProcesses& processes);

// The lines every summary opens with.
std::vector<RichTextPiece> OpeningPieces(const ApplicationState& state);

// Why a machine may look cleaner than it is, for the Results text and the full log.
extern const wchar_t kModules64UnscannedNotice[];

// The closing block when nothing was detected and Steam is fine.
std::vector<RichTextPiece> NothingFoundPieces();

// The notices and one block per detected application; with viewMore the found paths too.
std::vector<RichTextPiece> DetailPieces(const ApplicationState& state, bool viewMore);
