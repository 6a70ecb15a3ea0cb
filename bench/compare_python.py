#!/usr/bin/env python3
"""Runs the classic result-page parse with Python's re over the synthetic 1 MB
classic page of query_parse_bench and compares the time with the benchmark's
figure for the same work (BM_Parse_ClassicSynthetic1MB). The goal is at least
5 times Python's speed.

    bench/compare_python.py [--bench build/default/bin/query_parse_bench]
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile
import timeit

BLOCK = re.compile(r'<table.*?id="(.*?)"[\s\S]*?</table>', re.IGNORECASE | re.MULTILINE)
SPAN = re.compile(r'<span class=.g.>.*?</span>', re.IGNORECASE | re.MULTILINE)
TAG = re.compile(r'<[^>]*>')
SITE = 'www.target.example.com'


def parse(page):
    """The same steps as the program: every block, its green spans, the address
    looked for in the span as written and as read (tags removed, &nbsp; a space)."""
    positions = []
    for block in BLOCK.finditer(page):
        for span in SPAN.finditer(block.group(0)):
            text = span.group(0)
            if SITE in text or SITE in TAG.sub('', text).replace('&nbsp;', ' '):
                positions.append(block.group(1))
                break
    return positions


def our_figure(bench):
    out = subprocess.run(
        [bench, '--benchmark_filter=^BM_Parse_ClassicSynthetic1MB$', '--benchmark_format=json',
         '--benchmark_repetitions=5', '--benchmark_report_aggregates_only=true'],
        check=True, capture_output=True, text=True).stdout
    for run in json.loads(out)['benchmarks']:
        if run.get('aggregate_name') == 'median':
            scale = {'ns': 1e-6, 'us': 1e-3, 'ms': 1.0, 's': 1e3}[run['time_unit']]
            return run['real_time'] * scale
    sys.exit('no median in the benchmark output')


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, '..', 'build', 'default', 'bin', 'query_parse_bench')
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('--bench', default=default, help='path of query_parse_bench')
    args = ap.parse_args()

    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, 'classic.html')
        subprocess.run([args.bench, '--write-classic-page=' + path], check=True)
        with open(path, encoding='utf-8') as f:
            page = f.read()

    positions = parse(page)
    if positions != ['3', '60']:
        sys.exit('unexpected positions from Python: %r' % positions)
    runs = timeit.repeat(lambda: parse(page), number=1, repeat=7)
    python_ms = min(runs) * 1e3
    ours_ms = our_figure(args.bench)
    ratio = python_ms / ours_ms
    print('page: %d characters, %d blocks' % (len(page), len(BLOCK.findall(page))))
    print('Python re:        %8.3f ms' % python_ms)
    print('query_parse_bench: %7.3f ms' % ours_ms)
    print('ratio: %.1fx %s (goal: at least 5x)' % (ratio, 'faster' if ratio >= 1 else 'slower'))
    return 0 if ratio >= 5 else 1


if __name__ == '__main__':
    sys.exit(main())
