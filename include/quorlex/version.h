/* The kit's version: the one the headers were installed with. Each library
 * also reports, at run time, the version it was built as (Px_getVersion,
 * clserGetVersion, IoGetVersion, OculonGetVersion), so that an application
 * can tell which libraries it actually loaded.
 *
 * The major number changes when an export, an ordinal or the meaning of a
 * result changes in a way an existing application notices; it is the major
 * number of the Linux sonames (libpictordyn.so.1). The minor number grows
 * with new exports, the patch number with fixes only. */
#ifndef QUORLEX_VERSION_H
#define QUORLEX_VERSION_H

#define QUORLEX_VERSION_MAJOR 1
#define QUORLEX_VERSION_MINOR 0
#define QUORLEX_VERSION_PATCH 0

/* One number for comparisons: 10000 x major + 100 x minor + patch. */
#define QUORLEX_VERSION_NUMBER \
  (QUORLEX_VERSION_MAJOR * 10000 + QUORLEX_VERSION_MINOR * 100 + QUORLEX_VERSION_PATCH)

#endif
