#pragma once

#include <QString>
#include <QStringList>

// The relative links of the Markdown pages (README.md, docs/), checked the
// way a reader follows them on the repository's web view: the file must be
// there, and an anchor must name a heading of its page.
namespace DocLinks {

// The anchor a heading's text gets: lower case, only letters, digits,
// blanks, hyphens and underscores kept, blanks made hyphens.
QString headingAnchor(const QString& heading);

// The anchors of a page's headings in order; a repeated one gets "-1",
// "-2", ... Lines of fenced code blocks are no headings.
QStringList headingAnchors(const QString& markdown);

// The targets of a page's links and images, as written, in order. Links in
// code (fenced blocks, code spans) are text, not links.
QStringList linkTargets(const QString& markdown);

// One line for each relative link of the given pages that leads nowhere:
// "page: target: reason". Links with a scheme (https:, mailto:) are not
// followed. checked, when given, receives the number of relative links.
QStringList brokenLinks(const QStringList& pages, int* checked = nullptr);

} // namespace DocLinks
