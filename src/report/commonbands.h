#pragma once

#include "report.h"

// Bands the organizer's list reports share.
namespace ql::report {

// A title band "QRBand1" with the report's heading "QRLabel1", bold and centred.
Band* addTitleBand(Report& report, const QString& heading, double points);

// A page footer "QRBand3": the moment the report runs at the left, the page number at the right.
Band* addPageFooter(Report& report);

} // namespace ql::report
