// The driver's own lines of a run: the banner and the plot question.
#pragma once

#include <string>

#include "driver/request.h"

namespace xas {

class AnswerSource;
class TextOut;

// The banner: seven lines of 33 characters.
void banner(TextOut& screen);

// The plot question and its echo: the answer goes to request.itop (1: the
// TopDrawer scripts as well).
bool ask_plot(AnswerSource& answers, TextOut& screen, Request* request, std::string* err);

// The same lines for a plot answer given beforehand.
void show_plot(const Request& request, TextOut& screen);

}  // namespace xas
