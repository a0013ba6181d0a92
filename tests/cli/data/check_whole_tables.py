"""Checks dBase tables with dbfread, an independent reader, for the kill test.

For every path given: the table must open, every record must read, the count of records read
must equal the header's record count, and the file size must be the header length plus that many
records plus the end mark. Prints one line per table that fails the check, nothing otherwise.
"""
import os
import sys

import dbfread


def problem(path):
    try:
        table = dbfread.DBF(path, encoding="cp1252", char_decode_errors="strict")
        rows = sum(1 for _ in table)
        header = table.header
        expected_size = header.headerlen + header.numrecords * header.recordlen + 1
        if rows != header.numrecords:
            return "%d records read, header says %d" % (rows, header.numrecords)
        if os.path.getsize(path) != expected_size:
            return "size %d, header implies %d" % (os.path.getsize(path), expected_size)
    except Exception as error:  # any failure to read is what this check reports
        return "%s: %s" % (type(error).__name__, error)
    return None


def main(paths):
    for path in paths:
        reason = problem(path)
        if reason:
            print(path, reason)


main(sys.argv[1:])
