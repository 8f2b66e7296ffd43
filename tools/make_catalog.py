#!/usr/bin/env python3
"""A large ratings catalog for `scorelens serve --catalog`, made up but shaped
like the shipped one: films and series, with remakes that share a title
across years (so a lookup must tell them apart by year), cast, crew and
scores. The same count always gives the same catalog.

Usage: tools/make_catalog.py [count] > catalog.json
"""
import json
import random
import sys
import uuid

ADJECTIVES = ["Dark", "Silent", "Last", "Broken", "Golden", "Hidden", "Lost", "Crimson", "Wild", "Frozen",
              "Burning", "Secret", "Quiet", "Distant", "Electric", "Hollow", "Iron", "Lonely", "Midnight", "Pale",
              "Restless", "Savage", "Shattered", "Sweet", "Velvet", "Wicked", "Young", "Ancient", "Brave", "Café"]
NOUNS = ["River", "Empire", "Garden", "Harbor", "Kingdom", "Machine", "Mirror", "Mountain", "Ocean", "Orchard",
         "Palace", "Road", "Shadow", "Signal", "Storm", "Summer", "Tide", "Tower", "Valley", "Winter", "Witness",
         "Voyage", "Frontier", "Circus", "Island", "Letter", "Promise", "Station", "Thief", "Dream"]
TAILS = ["", "", "", " of Fire", " of Glass", " in Paris", " at Dawn", " & Sons", " Returns", ": Part Two",
         " of the North", " Rising", " Forever", " Again", " of Amélie", " Below"]
FIRST = ["Ada", "Ben", "Chloé", "Dev", "Elena", "Finn", "Grace", "Hugo", "Iris", "Jonas", "Kai", "Lena", "Milo",
         "Nina", "Omar", "Pia", "Quinn", "Rosa", "Sami", "Tess", "Uma", "Viktor", "Wen", "Yara", "Zoë"]
LAST = ["Abbott", "Berg", "Castillo", "Dubois", "Eriksen", "Fischer", "García", "Hale", "Ito", "Jensen", "Kowalski",
        "Laurent", "Moreau", "Nakamura", "Okafor", "Petrov", "Quint", "Rossi", "Silva", "Tanaka", "Ueda", "Varga",
        "Weber", "Xu", "Young", "Zimmer"]
GENRES = ["Drama", "Comedy", "Crime", "Thriller", "Romance", "Sci-Fi", "Horror", "Documentary", "Animation"]


def person(rng):
    return f"{rng.choice(FIRST)} {rng.choice(LAST)}"


def hit(rng, index, title, year, movie):
    slug = "".join(c if c.isalnum() else "_" for c in title.lower()).strip("_")
    critics, audience = rng.randint(5, 100), rng.randint(10, 99)
    entry = {
        "title": title,
        "type": "movie" if movie else "tv",
        "releaseYear": str(year),
        "emsId": str(uuid.UUID(int=rng.getrandbits(128), version=4)),
        "vanity": f"{slug}_{year}_{index}",
        "rottenTomatoes": {"criticsScore": critics, "certifiedFresh": critics > 80 and rng.random() < 0.5,
                           "audienceScore": audience},
        "isEmsSearchable": 1,
        "cast": [{"name": person(rng), "role": person(rng)} for _ in range(3)],
        "crew": [{"name": person(rng), "role": role} for role in ("Director", "Screenwriter")],
        "description": f"{title} ({year}), a made-up title of a generated catalog.",
        "genres": rng.sample(GENRES, 2),
        "rating": rng.choice(["G", "PG", "PG-13", "R", "TV-MA"]),
        "aka": [],
        "titles": [title],
        "popularity": rng.randint(0, 1000),
        "posterImageUrl": f"https://resizing.flixster.com/generated/{index}.jpg",
        "objectID": str(100000000 + index),
    }
    if movie:
        entry["runTime"] = rng.randint(80, 180)
    else:
        entry["seasons"] = [str(s + 1) for s in range(rng.randint(1, 9))]
    return entry


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 20000
    rng = random.Random(count)
    names = sorted({f"{a} {n}{t}" for a in ADJECTIVES for n in NOUNS for t in TAILS})
    rng.shuffle(names)
    hits = []
    for name in names:
        if len(hits) >= count:
            break
        movie = rng.random() < 0.75
        year = rng.randint(1950, 2024)
        hits.append(hit(rng, len(hits), name, year, movie))
        # One film in eight is remade, once or twice, under the same title.
        # Each remake in a later year, so that the year tells them apart.
        if movie and rng.random() < 0.125:
            for _ in range(rng.randint(1, 2)):
                year += rng.randint(5, 30)
                if len(hits) < count and year <= 2025:
                    hits.append(hit(rng, len(hits), name, year, True))
    sequel = 0
    while len(hits) < count:  # more titles than the names give: numbered sequels
        name = names[sequel % len(names)]
        hits.append(hit(rng, len(hits), f"{name} {sequel // len(names) + 2}", rng.randint(1950, 2024),
                        rng.random() < 0.75))
        sequel += 1
    json.dump(hits, sys.stdout, ensure_ascii=False, indent=0)


if __name__ == "__main__":
    main()
