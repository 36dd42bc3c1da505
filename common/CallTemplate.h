#pragma once

#include "common/CallInfo.h"

#include <QString>

// Message templates: a user's text in which placeholders ("<CALLER_NAME>",
// "<DATE>", ...) stand for details of a call. The service fills the speech
// text of the alert, the mail subject and body and the forwarding program's
// arguments; the desktop fills the speech text for its speech test.
//
// Every occurrence of a placeholder is replaced, matched exactly
// (case-sensitive), in one walk over the template: a filled value is never
// read again, so a caller named "<DATE>" stays "<DATE>" in every text.

// Whose filler: the service's replaces all seventeen placeholders and spells
// the caller number out; the desktop's replaces the first ten (the telephone
// menu keys "<PLAY>" ... "<MARK>" stay as written), inserts the number as it
// is and reads CallType as a number.
enum class TemplateRule { Service, Desktop };

// How inserted values are written: as they are, or with "&", "<" and ">" as
// markup entities, for a text that the speech engine reads as markup (the
// template's own markup still works; a caller's cannot steer the speech).
enum class TemplateValues { Plain, MarkupEscaped };

// The filled text. Works on a copy of the call, so nothing that happens while
// it fills can mix two calls in one text; lets no event run.
QString FillCallTemplate(const QString& text, const CallInfo& call, TemplateRule rule = TemplateRule::Service,
    TemplateValues values = TemplateValues::Plain);

// The text with one blank after every character: "555" gives "5 5 5 ".
QString SpellOutChars(const QString& text);

// "&", "<" and ">" as the entities "&amp;", "&lt;" and "&gt;".
QString EscapeSpeechMarkup(const QString& text);

// The mail message a first run stores (MailForward\Details txtMessage) and the
// mail details window offers: seven lines, each ended by CR LF, whose
// placeholders the service fills when it forwards a call.
QString DefaultMailMessage();
