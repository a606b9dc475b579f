"""Queries on places.sqlite shared by the maker and the reopen checks."""

# Every bookmark with what a user sees of it: folder, title, address, place, keyword.
BOOKMARKS = """SELECT b.guid, b.type, IFNULL(b.title, ''), IFNULL(p.url, ''), IFNULL(parent.guid, ''),
  b.position, IFNULL(k.keyword, '') FROM moz_bookmarks b
  LEFT JOIN moz_places p ON p.id = b.fk LEFT JOIN moz_bookmarks parent ON parent.id = b.parent
  LEFT JOIN moz_keywords k ON k.place_id = b.fk ORDER BY b.guid"""

# The rows of a query, read by Firefox itself (run in the chrome context with the query as argument).
READ_ROWS = """
const { PlacesUtils } = ChromeUtils.importESModule("resource://gre/modules/PlacesUtils.sys.mjs");
const [sql] = arguments;
return (await (await PlacesUtils.promiseDBConnection()).execute(sql))
  .map(row => Array.from({ length: row.numEntries }, (_, i) => row.getResultByIndex(i)));
"""
