#pragma once

#include "report/report.h"

// Bands the organizer's list reports share.
namespace ql::report {

// A title band "QRBand1" (or the given name) with the report's heading "QRLabel1", bold and
// centred.
Band* addTitleBand(Report& report, const QString& heading, double points,
                   const QString& name = QStringLiteral("QRBand1"));

// A page footer "QRBand3" (or the given name): the moment the report runs at the left, the page
// number at the right.
Band* addPageFooter(Report& report, const QString& name = QStringLiteral("QRBand3"));

} // namespace ql::report
