// Reading a places.sqlite in tests: rows as text, counts, and the queries
// that show what a user sees of bookmarks and downloads.
#pragma once

#include "support/DatabaseRows.h"

// The bookmarks as a user sees them, one line each: folders, titles, URLs,
// tags (bookmarks in the tag folders), keywords, positions.
inline constexpr char BookmarksQuery[] =
    "SELECT b.guid || '|' || b.type || '|' || IFNULL(b.title, '') || '|' || IFNULL(p.url, '') || '|' ||"
    " IFNULL(parent.guid, '') || '|' || b.position || '|' || IFNULL(k.keyword, '') || '|' || IFNULL(b.dateAdded, '')"
    " FROM moz_bookmarks b"
    " LEFT JOIN moz_places p ON p.id = b.fk LEFT JOIN moz_bookmarks parent ON parent.id = b.parent"
    " LEFT JOIN moz_keywords k ON k.place_id = b.fk ORDER BY b.id";

inline constexpr char DownloadAnnotations[] =
    "SELECT count(*) FROM moz_annos a JOIN moz_anno_attributes n ON n.id = a.anno_attribute_id"
    " WHERE n.name LIKE 'downloads/%'";
