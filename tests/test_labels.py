#!/usr/bin/env python3
"""Every test of a build tree carries exactly one of the suite's labels, so that `ctest -L unit`
and the others together run the whole suite and a new test cannot fall out of all of them.

Usage: test_labels.py BUILD_DIR
"""
import json
import subprocess
import sys

LABELS = {"unit", "x11", "e2e", "bench"}


def main():
    listing = subprocess.run(["ctest", "--test-dir", sys.argv[1], "-N", "--show-only=json-v1"],
                             check=True, capture_output=True, text=True).stdout
    wrong = []
    for test in json.loads(listing)["tests"]:
        labels = set()
        for prop in test.get("properties", []):
            if prop["name"] == "LABELS":
                labels.update(prop["value"])
        if len(labels & LABELS) != 1:
            wrong.append(f"{test['name']}: {', '.join(sorted(labels)) or 'no label'}")
    for line in wrong:
        print(line)
    if wrong:
        print(f"each test needs exactly one of {', '.join(sorted(LABELS))}"
              " (tests/CMakeLists.txt says which is which)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
