// The ticket: its fixed drawing sequence on ticketCanvas and the stamp overlay that ends it.
#pragma once

namespace render {

// The three-line notice below the table, lines joined by CR LF (code page 936 bytes).
extern const char kTicketNotice[];

// Paints the complete ticket for a nickname and a time (absent counts as empty), with the group
// number read from groupNumberEdit. Returns false when MainWindow went away while the stamp
// overlay let messages run; the ticket is then unfinished and nothing more should be done with it.
bool drawTicket(const char* recipientName, const char* departureTime);

// The ticket's drawing sequence alone, without the stamp overlay that drawTicket runs after it.
void drawTicketLayout(const char* recipientName, const char* departureTime);

// Copies the non-white pixels of stampCanvas, columns and rows 1 to 79, onto ticketCanvas at
// stampCanvas's place plus (i, j), showing stampCanvas while it runs. False when MainWindow went away.
bool overlayStamp();

}  // namespace render
