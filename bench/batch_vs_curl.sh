#!/usr/bin/env bash
# 1,000 lookups with `scorelens lookup --batch` against the stand-in services,
# and curl --parallel making the same requests (the home page once, then one
# search per line) to the same server in the same run.
# With a third argument, the server's catalog is one of that many generated
# titles (tools/make_catalog.py, remakes among them), the lines are titles
# spread over it, and each result is checked to be the line's own title.
# Usage: bench/batch_vs_curl.sh [build dir] [lines] [catalog titles]
set -euo pipefail
build=${1:-build/default}
lines=${2:-1000}
titles=${3:-}
scorelens="$build/src/cli/scorelens"
work=$(mktemp -d)
trap 'kill "$server" 2>/dev/null || true; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT

cd "$(dirname "$0")/.."
catalog=src/services/data/ratings-catalog.json
if [ -n "$titles" ]; then
  catalog="$work/catalog.json"
  python3 tools/make_catalog.py "$titles" > "$catalog"
fi
# The catalog's titles as facts lines: round and round the shipped one, or
# spread evenly over a generated one; beside them, the emsId each should find.
python3 - "$lines" "$catalog" "$work/expected.txt" > "$work/facts.jsonl" <<'PY'
import json, sys
lines, hits = int(sys.argv[1]), json.load(open(sys.argv[2]))
step = max(1, len(hits) // lines) if len(hits) > lines else 1
with open(sys.argv[3], "w") as expected:
    for i in range(lines):
        h = hits[(i * step) % len(hits)]
        facts = {"title": h["title"]}
        if h["type"] == "movie":
            facts.update(movie=True, year=int(h["releaseYear"]))
        else:
            facts.update(series=True, seasons=len(h.get("seasons", [])) or 1)
        print(json.dumps(facts, ensure_ascii=False))
        print(h.get("emsId", ""), file=expected)
PY

port=$((20000 + RANDOM % 20000))
started=$(date +%s.%N)
"$scorelens" serve --port "$port" --catalog "$catalog" --ca-out "$work/ca.pem" > "$work/serve.log" 2>&1 &
server=$!
for _ in $(seq 600); do grep -q "Press Ctrl-C" "$work/serve.log" 2>/dev/null && break; sleep 0.05; done
ready=$(date +%s.%N)
search_host=79frdp12pn-dsn.algolia.net
routes=(--connect-to "www.rottentomatoes.com:443:127.0.0.1:$port" --connect-to "$search_host:443:127.0.0.1:$port"
        --connect-to "flixster.com:443:127.0.0.1:$port")

start=$(date +%s.%N)
"$scorelens" lookup --batch "$work/facts.jsonl" --no-certify --stats --cacert "$work/ca.pem" "${routes[@]}" \
  > "$work/results.jsonl" 2> "$work/stats.txt" || true
end=$(date +%s.%N)
batch=$(echo "$end - $start" | bc -l)

# The same requests for curl: the home page, then each line's search. Each
# request is a block of its own, as `next` resets curl's options.
python3 - "$search_host" "$work/facts.jsonl" "$work/ca.pem" "${routes[@]}" > "$work/curl.conf" <<'PY'
import json, sys
host, facts, ca, routes = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[5::2]
agent = ("Mozilla/5.0 (iPhone; CPU iPhone OS 16_4_1 like Mac OS X) AppleWebKit/605.1.15 "
         "(KHTML, like Gecko) Version/16.4 Mobile/15E148 Safari/604.1")
params = ("filters=isEmsSearchable%20%3D%201&hitsPerPage=20&analyticsTags=%5B%22header_search%22%5D"
          "&clickAnalytics=true")
q = lambda s: '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'
def block(url, headers, body=None):
    out = [f"url = {q(url)}", 'output = "/dev/null"', "compressed", "silent", "show-error", f"cacert = {q(ca)}"]
    out += [f"connect-to = {q(r)}" for r in routes]
    out += [f"header = {q(h)}" for h in headers]
    if body is not None:
        out.append(f"data-binary = {q(body)}")
    print("\n".join(out))
block("https://www.rottentomatoes.com", ["accept-encoding: gzip, deflate, br", "user-agent: " + agent])
url = (f"https://{host}/1/indexes/*/queries?x-algolia-agent=Algolia%20for%20JavaScript%20(4.17.0)%3B%20Browser%20(lite)"
       "&x-algolia-api-key=175588f6e5f8319b27702e4cc4013561&x-algolia-application-id=79FRDP12PN")
for line in open(facts):
    title = json.loads(line)["title"]
    body = json.dumps({"requests": [{"indexName": "content_rt", "query": title, "params": params}]},
                      separators=(",", ":"), ensure_ascii=False)
    print("next")
    block(url, ["accept: */*", "accept-encoding: gzip, deflate, br", "accept-language: en-US,en;q=0.9",
                "content-type: application/x-www-form-urlencoded", "origin: https://www.rottentomatoes.com",
                "referer: https://www.rottentomatoes.com", "user-agent: " + agent], body)
PY

start=$(date +%s.%N)
curl --parallel --parallel-max 16 --no-progress-meter --config "$work/curl.conf"
end=$(date +%s.%N)
curl_time=$(echo "$end - $start" | bc -l)

echo "results: $(wc -l < "$work/results.jsonl") lines; in order: $(python3 -c "
import json,sys; n=[json.loads(l)['line'] for l in open('$work/results.jsonl')]; print(n == list(range(1, len(n)+1)))")"
[ -z "$titles" ] || python3 - "$work/results.jsonl" "$work/expected.txt" <<'PY'
import json, sys
results = [json.loads(l) for l in open(sys.argv[1])]
expected = [l.strip() for l in open(sys.argv[2])]
found = sum(1 for r, e in zip(results, expected) if r.get("rating") and r["rating"].get("emsId") == e)
print(f"titles found as themselves: {found} of {len(expected)}")
PY
printf 'server: %s titles, ready in %.2f s, resident memory %s after the runs\n' \
  "$(grep -o 'Serving [0-9]* titles' "$work/serve.log" | grep -o '[0-9]*')" "$(echo "$ready - $started" | bc -l)" \
  "$(grep VmRSS /proc/$server/status | awk '{printf "%.0f MB", $2 / 1024}')"
cat "$work/stats.txt" | tr '\r' '\n' | grep '^batch:' || true
printf 'scorelens lookup --batch: %.3f s (%.0f lookups/s)\n' "$batch" "$(echo "$lines / $batch" | bc -l)"
printf 'curl --parallel (16):     %.3f s (%.0f lookups/s)\n' "$curl_time" "$(echo "$lines / $curl_time" | bc -l)"
printf 'ratio batch / curl:       %.2fx\n' "$(echo "$batch / $curl_time" | bc -l)"
