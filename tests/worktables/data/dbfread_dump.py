"""Prints a dBase table as dbfread (an independent reader) sees it, for the engine's tests.

One line per field: FIELD, name, type, length, decimals; then one line per live record: ROW and
its values. Values: blank numbers and logicals empty, logicals T/F, whole floats without ".0".
Tab-separated, UTF-8.
"""
import sys

import dbfread


def show(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "T" if value else "F"
    if isinstance(value, float):
        return str(int(value)) if value.is_integer() else repr(value)
    return str(value)


def main(path):
    sys.stdout.reconfigure(encoding="utf-8")
    table = dbfread.DBF(path, encoding="cp1252", char_decode_errors="strict", load=True)
    for field in table.fields:
        print("FIELD", field.name, field.type, field.length, field.decimal_count, sep="\t")
    for record in table.records:
        print("ROW", *(show(value) for value in record.values()), sep="\t")


main(sys.argv[1])
