// Resources only.
