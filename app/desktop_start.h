#pragma once

#include <QWidget>
#include <chrono>
#include <memory>
#include <string>

#include "tavrix/office/office_session.h"

namespace tavrix {

// How long the program waits for LibreOffice at start-up.
inline constexpr std::chrono::seconds kOfficePatience{20};

// Reaches the user's LibreOffice (starting it when it does not run) while
// the window stays responsive and says "Starting LibreOffice…" in its
// caption. Nothing when the office does not answer within the patience;
// whatever was launched for it has then been ended.
std::unique_ptr<OfficeSession> StartOffice(QWidget& window, const std::string& pipe,
                                           OfficeSession::Launch launch,
                                           std::chrono::milliseconds patience = kOfficePatience);

// Settings of the whole process: a write to a pipe whose reader is gone (an
// office that died) fails as a call instead of ending the program.
void PrepareProcess();

}  // namespace tavrix
