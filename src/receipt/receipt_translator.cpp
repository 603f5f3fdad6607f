// receipt translation
